#include "objdb/JetTranslator.h"
#include "MvTool.h"

namespace {
// Prints the SQLite text that the library runs for a Jet SQL text (no schema: names of
// parent and referenced tables stay as written).
int jet2sql(const QStringList& args)
{
    if (args.size() != 1) return 2;
    mvtool::out(JetTranslator().translate(args.first()));
    return 0;
}
}   // namespace

MV_COMMAND("jet2sql", "jet2sql \"<Jet SQL>\"   print the SQLite translation of a Jet SQL text", jet2sql);
