// A dialog's rules file (".ovdf") from a package: any lines parse without reading past
// them, each kept rule is what its own line parses to, and the rules apply to a wizard page
// without harm however they name its controls and properties.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "DialogModel.h"
#include "DialogRules.h"
#include "FormFile.h"

namespace {

const char* const kPage = R"(object Licence: TPoolTemplate
  Caption = 'Licence'
  object CheckBox1: TRzCheckBox
    Caption = 'I &accept'
    Hint = 'acceptlicence'
    State = cbChecked
  end
  object Edit1: TEdit
    Text = 'C:\Program Files\Demo'
  end
  object ButtonNext: TButton
    Caption = '&Next >'
    Enabled = False
  end
end
)";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= bytes.size() && lines.size() < 256) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    const std::vector<ovd::TDialogRule> rules = ovd::ParseDialogRules(lines);
    if (rules.size() > lines.size())
        std::abort();
    static const ovd::TFormComponent page = ovd::LoadForm(kPage);
    ovd::TDialogModel model = ovd::TDialogModel::FromForm(page);
    ovd::ApplyDialogRules(model, rules);
    ovd::ApplyDialogRules(model, rules);
    return 0;
}
