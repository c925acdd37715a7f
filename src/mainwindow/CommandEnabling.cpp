#include "CommandEnabling.h"
#include "core/configuration/Configuration.h"
#include "operations/DetailView.h"

namespace {

using Kind = CommandSwitch::Kind;
using Property = CommandSwitch::Property;

// The commands that need rows on show, menu and toolbar button alike.
const struct {
    const char* name;
    Kind kind;
} kNeedRows[] = {
    {"mnuOrder", Kind::Menu},          {"Save", Kind::ToolButton},    {"mnuSave", Kind::Menu},
    {"New", Kind::ToolButton},         {"mnuFileNew", Kind::Menu},    {"Properties", Kind::ToolButton},
    {"mnuFileProperties", Kind::Menu}, {"Delete", Kind::ToolButton},  {"mnuFileDelete", Kind::Menu},
    {"mnuViewRefresh", Kind::Menu},    {"Filter", Kind::ToolButton},  {"mnuFilter", Kind::Menu},
    {"Find", Kind::ToolButton},        {"mnuSearch", Kind::Menu},     {"Print", Kind::ToolButton},
    {"mnuPrintFunc", Kind::Menu},      {"mnuFieldFuncs", Kind::Menu}, {"mnuDataSelection", Kind::Menu},
};

}   // namespace

CommandEnabling CommandEnabling::Compute(const EnablingInput& in)
{
    CommandEnabling out;
    auto set = [&](const char* target, Kind kind, Property property, bool value) {
        out.switches.push_back({QString::fromLatin1(target), kind, property, value});
    };

    // The document commands belong to the tables they print; each view starts with them off.
    const bool receipts = in.shown && in.table == QLatin1String("Ricevute");
    set("mnuFiscalPrint", Kind::Menu, Property::Enabled, in.shown && in.enableFiscalPrint);
    set("mnuPrintLabel", Kind::Menu, Property::Enabled, in.shown && in.enablePrintLabel);
    set("mnuFiscalPrint_Ricevuta", Kind::Menu, Property::Visible, in.useRicevute);
    set("mnuFiscalPrint_Ricevuta", Kind::Menu, Property::Enabled, receipts && in.useRicevute);

    const bool dated = in.shown && !in.dateField.isEmpty();
    set("cmdDateSel", Kind::Control, Property::Visible, dated);
    set("mnuSelection", Kind::Menu, Property::Visible, dated);
    out.dateButtonTag = dated ? in.dateField : QString();

    set("dgView", Kind::Control, Property::Visible, in.shown);
    set("cmdGridSetting", Kind::Control, Property::Visible, in.shown);

    for (const auto& c : kNeedRows) set(c.name, c.kind, Property::Enabled, in.shown);
    set("mnuToolsOptions", Kind::Menu, Property::Enabled, in.accessLevel == 1);
    set("mnuGridFldSequence", Kind::Menu, Property::Checked, in.fieldSequence && !in.fieldSequence->isEmpty());
    return out;
}

EnablingInput CommandEnabling::InputFrom(const DetailView& view, int accessLevel, std::optional<QString> fieldSequence)
{
    EnablingInput in;
    in.shown = view.HasView();
    if (in.shown) {
        const ViewQuery& q = view.Query();
        in.table = q.Table;
        in.dateField = q.DateField;
        in.enableFiscalPrint = q.EnableFiscalPrint;
        in.enablePrintLabel = q.EnablePrintLabel;
    }
    in.accessLevel = accessLevel;
    in.useRicevute = settings().Use_Ricevute;
    in.fieldSequence = std::move(fieldSequence);
    return in;
}

std::optional<bool> CommandEnabling::valueOf(const QString& target, CommandSwitch::Property property) const
{
    std::optional<bool> v;
    for (const CommandSwitch& s : switches)
        if (s.target == target && s.property == property) v = s.value;
    return v;
}
