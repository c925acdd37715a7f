#include "DeferredCommands.h"
#include "core/lifecycle/ErrorReporting.h"
#include "objdb/TableData.h"

namespace {

struct Prefix {
    const char* text;
    RelatedKind kind;
};
const Prefix kPrefixes[] = {
    {"mnuContItem(", RelatedKind::Container},
    {"mnuRefItem(", RelatedKind::Reference},
    {"mnuReferencedItem(", RelatedKind::Association},
};

// Clears a flag however the scope ends.
struct Running {
    explicit Running(bool& flag) : m_flag(flag) { m_flag = true; }
    ~Running() { m_flag = false; }
    bool& m_flag;
};

}   // namespace

QString DeferredCommands::RelatedCommand(RelatedKind kind, int number)
{
    for (const Prefix& p : kPrefixes)
        if (p.kind == kind) return QString::fromLatin1(p.text) + QString::number(number) + u')';
    return QString();
}

std::optional<DeferredCommands::Parsed> DeferredCommands::Parse(const QString& command)
{
    if (command == kFilterComplex) return Parsed {Parsed::What::FilterComplex};
    if (command == kOrderComplex) return Parsed {Parsed::What::OrderComplex};
    for (const Prefix& p : kPrefixes) {
        const QString prefix = QString::fromLatin1(p.text);
        if (!command.startsWith(prefix) || !command.endsWith(u')')) continue;
        bool ok = false;
        const int n = command.mid(prefix.size(), command.size() - prefix.size() - 1).toInt(&ok);
        if (!ok) return std::nullopt;
        return Parsed {Parsed::What::Related, p.kind, n};
    }
    return std::nullopt;
}

bool DeferredCommands::RecordRelated(const TableData* ds, RelatedKind kind, const QString& elementTag)
{
    if (!ds || ds->IsEmpty()) return false;
    bool ok = false;
    const double n = elementTag.trimmed().toDouble(&ok);
    if (!ok) return false;
    Record(RelatedCommand(kind, int(n)));
    return true;
}

void DeferredCommands::Record(const QString& command)
{
    m_command = command;
    m_pending = true;
}

void DeferredCommands::Run(const Handlers& handlers)
{
    if (m_running) return;
    Running running(m_running);
    const QString command = m_command;
    m_pending = false;
    m_command.clear();
    try {
        const std::optional<Parsed> p = Parse(command);
        if (!p) return;
        switch (p->what) {
        case Parsed::What::Related:
            if (handlers.openRelated) handlers.openRelated(p->kind, p->number);
            break;
        case Parsed::What::FilterComplex:
            if (handlers.complexFilter) handlers.complexFilter();
            break;
        case Parsed::What::OrderComplex:
            if (handlers.complexOrder) handlers.complexOrder();
            break;
        }
    } catch (...) {
        ShowErrorDetails(QString());
    }
}
