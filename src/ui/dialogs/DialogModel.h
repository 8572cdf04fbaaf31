// A dialog as a table of controls with their published properties as text: what rules and
// refreshes read and write by name, and what the window builder builds from. OS-free. The
// window host listens to changes (OnChange) so that the window follows a written property
// at once, and keeps the live properties (Text, Checked, ItemIndex, Position) current.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ControlClasses.h"
#include "FormTree.h"

namespace ovd {

// A form file that cannot be a dialog (an unknown control class).
class EDialogError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TControlModel {
    std::string ClassName;
    std::string Name;
    TControlKind Kind = TControlKind::Form;
    int Parent = -1; // index of the holding control; -1 for the form
    int Depth = 0;
    // Published properties in the order first seen; names as the class spells them.
    std::vector<std::pair<std::string, std::string>> Properties;
    // Picture.Data of an image (the picture's class name, then its bytes).
    std::string Picture;

    bool Has(std::string_view property) const;
    // The property's text; empty when the control has no such property.
    std::string Get(std::string_view property) const;
    long long Integer(std::string_view property, long long fallback = 0) const;
    bool Boolean(std::string_view property, bool fallback = false) const;
    // Items.Strings / Lines.Strings as lines.
    std::vector<std::string> Lines(std::string_view property) const;
    // Sets an existing property (true) or adds it (with `add`).
    bool Put(std::string_view property, std::string_view value, bool add = false);

    int Tag() const { return static_cast<int>(Integer("Tag")); }
    // The bound variable's name: the Hint in upper case (empty: nothing bound).
    std::string BoundVariable() const;
};

class TDialogModel {
public:
    // Throws EDialogError for a class a dialog cannot hold.
    static TDialogModel FromForm(const TFormComponent& root);

    // The form (index 0) and its controls in creation order; "cmpFormDesigner" is left out.
    std::vector<TControlModel>& Controls() { return controls_; }
    const std::vector<TControlModel>& Controls() const { return controls_; }

    // Index of the control (or the form) of that name, compared without ASCII case; -1.
    int Find(std::string_view name) const;

    // Reads a published property as text; false when the control or property is missing.
    bool Read(std::string_view control, std::string_view property, std::string& value) const;
    // Writes a published property; false (nothing done) when either is missing. A change
    // is reported to OnChange (control index, property name as the class spells it).
    bool Write(std::string_view control, std::string_view property, std::string_view value);
    // Writes by index and always reports (the host's own refreshes).
    void Set(int index, std::string_view property, std::string_view value);

    std::function<void(int index, const std::string& property)> OnChange;

private:
    std::vector<TControlModel> controls_;
};

// Boolean property text as the form designer writes it.
std::string_view PropertyBoolean(bool value);
// Lines joined as a property holds them (CR LF between lines).
std::string JoinLines(const std::vector<std::string>& lines);
std::vector<std::string> SplitLines(std::string_view text);

} // namespace ovd
