#include "DialogModel.h"

#include "FormTextWriter.h"
#include "IntegerText.h"
#include "ScriptText.h"

namespace ovd {
namespace {

constexpr std::string_view kDesigner = "cmpFormDesigner";

// A value of the form file as its property text.
std::string ValueText(const TFormValue& value)
{
    switch (value.Type) {
    case TFormValueType::Integer:
        return std::to_string(value.Integer);
    case TFormValueType::String:
    case TFormValueType::Ident:
        return value.Text;
    case TFormValueType::True:
        return "True";
    case TFormValueType::False:
        return "False";
    case TFormValueType::Extended:
    case TFormValueType::Single:
    case TFormValueType::Double:
    case TFormValueType::Date:
    case TFormValueType::Currency:
        // The canonical number without its type suffix, from either form of the file:
        // six significant digits or a currency without its decimals lost the value.
        return FormNumberText(value);
    case TFormValueType::Set: {
        std::string text = "[";
        for (std::size_t i = 0; i < value.Names.size(); ++i)
            text += (i ? "," : "") + value.Names[i];
        return text + "]";
    }
    case TFormValueType::List: {
        std::vector<std::string> lines;
        for (const TFormValue& item : value.Items)
            lines.push_back(ValueText(item));
        return JoinLines(lines);
    }
    default:
        return {};
    }
}

// Published properties every control has, and those of some kinds, with their defaults
// (a rule may read a property the form file leaves at its default).
void AddDefaults(TControlModel& control)
{
    const TControlKind kind = control.Kind;
    for (std::string_view name : {"Left", "Top", "Width", "Height", "Tag"})
        control.Put(name, "0", true);
    control.Put("Hint", "", true);
    control.Put("Enabled", "True", true);
    control.Put("Visible", "True", true);
    const unsigned traits = ClassOf(kind).Traits;
    if (traits & kCaptioned)
        control.Put("Caption", "", true);
    if (traits & (kEditsText | kTyped)) {
        control.Put("Text", "", true);
        control.Put("MaxLength", "0", true);
    }
    if (traits & kEditsText)
        control.Put("ReadOnly", "False", true);
    if (traits & kCheckable)
        control.Put("Checked", "False", true);
    if (traits & kIndexed)
        control.Put("ItemIndex", "-1", true);
    if (traits & kRanged) {
        control.Put("Min", "0", true);
        control.Put("Max", std::to_string(ClassOf(kind).RangeMax), true);
        control.Put("Position", "0", true);
    }
    if (traits & kPushButton) {
        control.Put("Default", "False", true);
        control.Put("Cancel", "False", true);
    }
}

void AddComponent(std::vector<TControlModel>& controls, const TFormComponent& component, int parent,
                  int depth)
{
    if (SameTextAscii(component.Name, kDesigner))
        return;
    const TControlClass* cls = FindControlClass(component.ClassName);
    TControlKind kind = TControlKind::Form;
    if (parent < 0) {
        // The root is the form itself, whatever class name the designer gave it; only a
        // control class there is no form.
        if (cls && cls->Kind != TControlKind::Form)
            throw EDialogError("The form's root is a " + component.ClassName +
                               ", a control, not a form");
    } else {
        if (!cls || cls->Kind == TControlKind::Form)
            throw EDialogError("Class " + component.ClassName + " not found");
        kind = cls->Kind;
    }
    TControlModel control;
    control.ClassName = component.ClassName;
    control.Name = component.Name;
    control.Kind = kind;
    control.Parent = parent;
    control.Depth = depth;
    for (const TFormProperty& property : component.Properties) {
        std::string name = property.Name;
        if (SameTextAscii(name, "Picture.Data")) {
            control.Picture = property.Value.Text;
            continue;
        }
        if (SameTextAscii(name, "Items.Strings") || SameTextAscii(name, "Lines.Strings"))
            name.resize(name.size() - 8);
        control.Put(name, ValueText(property.Value), true);
    }
    // The check box of the designer keeps its state in State.
    if (control.Kind == TControlKind::CheckBox && control.Has("State"))
        control.Put("Checked", PropertyBoolean(control.Get("State") == "cbChecked"), true);
    AddDefaults(control);
    const int index = static_cast<int>(controls.size());
    controls.push_back(std::move(control));
    for (const TFormComponent& child : component.Children)
        AddComponent(controls, child, index, depth + 1);
}

} // namespace

std::string_view PropertyBoolean(bool value)
{
    return value ? "True" : "False";
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\r\n" : "") + lines[i];
    return text;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return lines;
}

bool TControlModel::Has(std::string_view property) const
{
    for (const auto& entry : Properties)
        if (SameTextAscii(entry.first, property))
            return true;
    return false;
}

std::string TControlModel::Get(std::string_view property) const
{
    for (const auto& entry : Properties)
        if (SameTextAscii(entry.first, property))
            return entry.second;
    return {};
}

long long TControlModel::Integer(std::string_view property, long long fallback) const
{
    const auto value = TryStrToInt64(Get(property));
    return value ? *value : fallback;
}

bool TControlModel::Boolean(std::string_view property, bool fallback) const
{
    if (!Has(property))
        return fallback;
    return IsTrue(Get(property));
}

std::vector<std::string> TControlModel::Lines(std::string_view property) const
{
    return SplitLines(Get(property));
}

bool TControlModel::Put(std::string_view property, std::string_view value, bool add)
{
    for (auto& entry : Properties)
        if (SameTextAscii(entry.first, property)) {
            if (!add)
                entry.second = value;
            return true;
        }
    if (!add)
        return false;
    Properties.emplace_back(std::string(property), std::string(value));
    return true;
}

std::string TControlModel::BoundVariable() const
{
    return UpperCaseAscii(Get("Hint"));
}

TDialogModel TDialogModel::FromForm(const TFormComponent& root)
{
    TDialogModel model;
    AddComponent(model.controls_, root, -1, 0);
    return model;
}

int TDialogModel::Find(std::string_view name) const
{
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (SameTextAscii(controls_[i].Name, name))
            return static_cast<int>(i);
    return -1;
}

bool TDialogModel::Read(std::string_view control, std::string_view property,
                        std::string& value) const
{
    const int index = Find(control);
    if (index < 0 || !controls_[index].Has(property))
        return false;
    value = controls_[index].Get(property);
    return true;
}

bool TDialogModel::Write(std::string_view control, std::string_view property,
                         std::string_view value)
{
    const int index = Find(control);
    if (index < 0 || !controls_[index].Has(property))
        return false;
    Set(index, property, value);
    return true;
}

void TDialogModel::Set(int index, std::string_view property, std::string_view value)
{
    TControlModel& control = controls_[static_cast<std::size_t>(index)];
    std::string name(property);
    for (const auto& entry : control.Properties)
        if (SameTextAscii(entry.first, property))
            name = entry.first;
    control.Put(name, value, true);
    control.Put(name, value);
    if (OnChange)
        OnChange(index, name);
}

} // namespace ovd
