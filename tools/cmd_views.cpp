// The main window's views: the section tree of an operator, and the query of a node with the
// date selection and the answers to its questions, as Jet SQL and, on a database, its rows.
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "operations/DateSelection.h"
#include "MvTool.h"
#include "operations/SectionTree.h"
#include "operations/ViewDialogs.h"
#include "operations/ViewQueryBuilder.h"
#include "objdb/TableData.h"
#include "operations/DetailView.h"
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

namespace {

const char* kViewQueryUsage
    = "viewquery NODE [--where W] [--order O] [--all | --day D | --month M | --period A:B] [--supplier S] [--date D] "
      "[--paid-period A:B] [--run DB [--top N]]";
const char* kViewTreeUsage = "viewtree [--level N] [--payments] [--db DB]";

// A date as the operator writes it (dd/mm/yyyy) or in ISO form.
std::optional<QDate> readDate(const QString& text)
{
    for (const char* form : {"yyyy-MM-dd", "dd/MM/yyyy", "d/M/yyyy"}) {
        const QDate d = QDate::fromString(text, QString::fromLatin1(form));
        if (d.isValid()) return d;
    }
    return std::nullopt;
}

std::optional<QDate> readMonth(const QString& text)
{
    for (const char* form : {"yyyy-MM", "MM/yyyy", "M/yyyy"}) {
        const QDate d = QDate::fromString(text, QString::fromLatin1(form));
        if (d.isValid()) return d;
    }
    return std::nullopt;
}

// "A:B" with either side possibly empty.
bool readPeriod(const QString& text, std::optional<QDate>& from, std::optional<QDate>& to)
{
    const int colon = text.indexOf(u':');
    if (colon < 0) return false;
    const QString a = text.left(colon), b = text.mid(colon + 1);
    from = a.isEmpty() ? std::nullopt : readDate(a);
    to = b.isEmpty() ? std::nullopt : readDate(b);
    return (a.isEmpty() || from) && (b.isEmpty() || to);
}

// A database the views can be built on: the given file (which must exist), or a new one in a
// temporary folder when only the Jet text is wanted.
struct OpenDatabase {
    std::unique_ptr<QTemporaryDir> scratch;
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
};

OpenDatabase open(const QString& path)
{
    LoadConfiguration();
    OpenDatabase o;
    QString file = path;
    o.engine = std::make_shared<DBEngine>();
    if (file.isEmpty()) {
        o.scratch = std::make_unique<QTemporaryDir>();
        file = o.scratch->path() + QStringLiteral("/Mirtavolia.mdb");
        o.engine->CreateDatabase(3, file);
    } else if (!QFileInfo::exists(file)) {
        throw AppError(AppError::kFileNotFound, QStringLiteral("mvtool"), QStringLiteral("no database at ") + file);
    }
    o.engine->OpenDatabase(3, file);
    o.db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("mvtool"), nullptr);
    o.db->AttachEngine(o.engine);
    return o;
}

QString cellText(const QVariant& v)
{
    if (!v.isValid() || v.isNull()) return QString();
    if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QString s = v.toString();
    s.replace(u'\t', QStringLiteral("\\t"));
    s.replace(u'\r', QStringLiteral("\\r"));
    s.replace(u'\n', QStringLiteral("\\n"));
    return s;
}

int usage(const char* text)
{
    mvtool::err(QStringLiteral("usage: mvtool ") + QString::fromLatin1(text));
    return 2;
}

// A node's view as the arguments ask for it: the node, the operator's filter and order, the
// date selection, the answers to its questions, and the database it runs on (none: only the text).
struct ViewQueryCommand {
    QString node, where, order, runPath;
    int top = 0;
    std::optional<QDate> day, month, from, to;
    bool all = false, period = false;
    FixedViewDialogs dialogs;
};

// A date option; wrong when `read` finds no date in it.
template <typename Read> mvtool::OptionParser::Take dateInto(std::optional<QDate>& into, Read read)
{
    return [&into, read](const QString& text) { return (into = read(text)).has_value(); };
}

std::optional<ViewQueryCommand> viewQueryCommand(const QStringList& args)
{
    ViewQueryCommand c;
    const auto period = [&c](const QString& text) { return c.period = readPeriod(text, c.from, c.to); };
    const auto paidPeriod = [&c](const QString& text) {
        std::optional<QDate> f, t;
        if (!readPeriod(text, f, t)) return false;
        c.dialogs.period = std::make_pair(f, t);
        return true;
    };
    const auto wrong = [](const QString&) { usage(kViewQueryUsage); };
    const std::optional<QStringList> words = mvtool::OptionParser()
                                                 .flag("--all", c.all)
                                                 .value("--where", c.where)
                                                 .value("--order", c.order)
                                                 .value("--day", dateInto(c.day, readDate), wrong)
                                                 .value("--month", dateInto(c.month, readMonth), wrong)
                                                 .value("--period", period, wrong)
                                                 .value("--supplier", c.dialogs.supplier)
                                                 .value("--date", dateInto(c.dialogs.date, readDate), wrong)
                                                 .value("--paid-period", paidPeriod, wrong)
                                                 .value("--run", c.runPath)
                                                 .value("--top", mvtool::number(c.top, 0), wrong)
                                                 .onUnknown(wrong)
                                                 .parse(args);
    if (!words) return std::nullopt;
    // One node; empty words before it are passed over.
    QStringList nodes = *words;
    while (!nodes.isEmpty() && nodes.first().isEmpty()) nodes.removeFirst();
    c.node = nodes.value(0);
    if (nodes.size() > 1 || c.node.isEmpty()
        || int(c.all) + int(c.day.has_value()) + int(c.month.has_value()) + int(c.period) > 1) {
        usage(kViewQueryUsage);
        return std::nullopt;
    }
    return c;
}

int viewquery(const QStringList& args)
{
    std::optional<ViewQueryCommand> command = viewQueryCommand(args);
    if (!command) return 2;
    auto& [node, where, order, runPath, top, day, month, from, to, all, period, dialogs] = *command;
    OpenDatabase o = open(runPath);
    DateSelection dates = DateSelection::AtStart();
    if (all) dates.SelectAll();
    if (day) dates.SelectDay(day);
    if (month) dates.SelectMonth(month);
    if (period) dates.SelectPeriod(from, to);

    // The node's caption as the tree shows it, for the administrator with every node built.
    o.db->SetAccessLevel(1);
    ViewNode viewNode {node, node};
    for (const SectionNode& n : SectionTreeNodes(*o.db, SectionTreeOptions {true}))
        if (n.key == node) viewNode.text = n.text;

    ViewQueryBuilder builder(*o.db, dialogs, dates);
    const ViewRequest request {viewNode, order, where, QStringLiteral(" Sezione:"), QStringLiteral(" Dettagli:")};
    const ViewQuery q = builder.Build(request, ShownView {});
    mvtool::out(QStringLiteral("Table: ") + q.Table);
    mvtool::out(QStringLiteral("Fields: ") + q.Fields);
    mvtool::out(QStringLiteral("Where: ") + q.Where);
    mvtool::out(QStringLiteral("Order: ") + q.Order);
    mvtool::out(QStringLiteral("Sort: ") + q.Sort);
    mvtool::out(QStringLiteral("DateField: ") + q.DateField);
    mvtool::out(QStringLiteral("Title: ") + q.Title);
    for (const QString& s : q.StatusTexts) mvtool::out(QStringLiteral("Status: ") + s);
    mvtool::out(QStringLiteral("Jet: ") + q.Statement());
    if (runPath.isEmpty()) return 0;

    // The rows as the window's grid reads them, through the data set it opens: the view's
    // whole text, run as one statement, can take far longer than the window does.
    const std::unique_ptr<TableData> rows = OpenView(*o.db, q);
    const std::vector<FieldInfo> fields = rows->GetFieldInfos();
    QStringList header {QStringLiteral("OID")};
    for (const FieldInfo& f : fields) header << f.Name;
    mvtool::out(header.join(u'\t'));
    int shown = 0;
    for (rows->MoveFirst(); !rows->IsEOF() && (top <= 0 || shown < top); rows->MoveNext(), ++shown) {
        QStringList cells {QString::number(rows->GetOID())};
        for (const FieldInfo& f : fields) cells << cellText(rows->GetValue(f.Name));
        mvtool::out(cells.join(u'\t'));
    }
    return 0;
}

int viewtree(const QStringList& args)
{
    int level = 0;
    bool payments = false;
    QString path;
    const auto wrong = [](const QString&) { usage(kViewTreeUsage); };
    const bool ok = mvtool::OptionParser()
                        .flag("--payments", payments)
                        .value("--level", mvtool::number(level), wrong)
                        .value("--db", path)
                        .maxWords(0)
                        .onUnknown(wrong)
                        .parse(args)
                        .has_value();
    if (!ok) return 2;
    OpenDatabase o = open(path);
    o.db->SetAccessLevel(level);
    for (const SectionNode& n : SectionTreeNodes(*o.db, SectionTreeOptions {payments}))
        mvtool::out(QStringLiteral("%1\t%2\t%3\t%4\t%5").arg(n.index).arg(n.parent).arg(n.key, n.text, n.image));
    return 0;
}

int guarded(int (*command)(const QStringList&), const QStringList& args)
{
    try {
        return command(args);
    } catch (const AppError& e) {
        mvtool::err(QStringLiteral("ERROR: ") + e.description);
        return 1;
    }
}

}   // namespace

MV_COMMAND("viewquery", kViewQueryUsage, [](const QStringList& a) { return guarded(viewquery, a); });
MV_COMMAND("viewtree", kViewTreeUsage, [](const QStringList& a) { return guarded(viewtree, a); });
