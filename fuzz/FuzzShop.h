#pragma once
// The shop database that the targets reading the shop's own tables share: a new file in the
// target's scratch folder, declared as the program declares it, with a notification sink that
// swallows refusals and warnings (an input refused is the input's business).
#include "FuzzSupport.h"

#include "core/configuration/Configuration.h"
#include "objdb/CurrencyInfo.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/Notify.h"

#include <memory>

namespace fuzzsupport {

class QuietSink : public itfNotifyEvent {
public:
    void OnRefusal(const QString&, const QString&) override { }
    void OnWarning(const QString&, const QString&) override { }
};

struct ShopFile {
    QString path;
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
    QuietSink sink;
};

inline ShopFile& shopFile(const char* program)
{
    static ShopFile* s = [program] {
        application(program);
        auto* shop = new ShopFile;
        LoadConfiguration();
        shop->path = scratchRoot() + QStringLiteral("/Mirtavolia.mdb");
        shop->engine = std::make_shared<DBEngine>();
        shop->engine->CreateDatabase(3, shop->path);
        shop->engine->OpenDatabase(3, shop->path);
        shop->db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("fuzz"), &shop->sink);
        shop->db->AttachEngine(shop->engine);
        shop->db->SetCurrency(std::make_shared<EuroCurrencyInfo>());
        return shop;
    }();
    return *s;
}

}   // namespace fuzzsupport
