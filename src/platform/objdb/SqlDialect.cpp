#include "SqlDialect.h"
#if __has_include("JetTranslator.h")
#include "JetTranslator.h"
#define OBJDB_HAS_JET_TRANSLATOR 1
#endif

namespace objdb {

QString translateJet(const QString& jetSql, const JetSchema* schema)
{
#ifdef OBJDB_HAS_JET_TRANSLATOR
    return JetTranslator(schema).translate(jetSql);
#else
    (void)schema;
    return jetSql;
#endif
}

bool hasJetTranslator()
{
#ifdef OBJDB_HAS_JET_TRANSLATOR
    return true;
#else
    return false;
#endif
}

}  // namespace objdb
