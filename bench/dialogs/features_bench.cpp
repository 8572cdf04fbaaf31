// features_bench: under Wine, a feature tree of 2,000 features ten levels deep filled into a
// tree view with Tag 1 (from the feature table to the painted tree, state icons and all
// branches open), and a check list of 200 top-level features with Tag 1: filled, then one
// mark changed, which applies the whole list to the table (each item reaching its ten
// features by the prefix rule) and sets the marks back.
#include "ComponentTable.h"
#include "DialogFeatures.h"
#include "FormFile.h"
#include "TPoolTemplate.h"

#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

constexpr char kForm[] = R"(object Bench: TPoolTemplate
  Caption = 'Features'
  ClientHeight = 400
  ClientWidth = 600
  PixelsPerInch = 96
  object TreeView1: TTreeView
    Left = 8
    Top = 8
    Width = 280
    Height = 380
    Tag = 1
  end
  object CheckListBox1: TCheckListBox
    Left = 300
    Top = 8
    Width = 280
    Height = 380
    Tag = 1
  end
end
)";

// The same page without the check list.
std::string TreeOnly()
{
    std::string form = kForm;
    const std::size_t from = form.find("  object CheckListBox1");
    const std::size_t to = form.find("  end\n", from) + 6;
    return form.erase(from, to - from);
}

} // namespace

int main()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string file = std::string(temp) + "features_bench.dfm";
    std::ofstream(file, std::ios::binary) << kForm;

    // 200 top-level features, each with a chain of nine sub-features below it.
    ovd::TComponentTable table;
    for (int top = 0; top < 200; ++top) {
        std::string name = "Feature " + std::to_string(top);
        table.Define(name, top % 2 == 0, "");
        for (int level = 1; level < 10; ++level) {
            name += "\\Part " + std::to_string(level);
            table.Define(name, true, "");
            table.SetSize(name, 1000 * level);
        }
    }
    ovd::TComponentFeatures features([&]() -> ovd::TComponentTable& { return table; });

    ovd::TPoolTemplate form(file, ovd::TDialogModel::FromForm(ovd::ReadFormFile(file)), {});
    form.SetFeatures(&features);
    ShowWindow(form.Window(), SW_SHOW);

    const double model = Now();
    const std::size_t nodes = features.FeatureTree().size();
    std::printf("the tree's %zu nodes from the table: %.1f ms\n", nodes, Now() - model);

    constexpr int kRounds = 5;
    {
        const std::string treeFile = std::string(temp) + "features_bench_tree.dfm";
        std::ofstream(treeFile, std::ios::binary) << TreeOnly();
        ovd::TPoolTemplate treeForm(treeFile,
                                    ovd::TDialogModel::FromForm(ovd::ReadFormFile(treeFile)), {});
        treeForm.SetFeatures(&features);
        ShowWindow(treeForm.Window(), SW_SHOW);
        double treeFill = 0;
        for (int round = 0; round < kRounds; ++round) {
            const double begin = Now();
            treeForm.Prepare();
            UpdateWindow(treeForm.Window());
            GdiFlush();
            treeFill += Now() - begin;
        }
        std::printf("fill the tree alone (2,000 features, 10 levels): %.1f ms (mean of %d)\n",
                    treeFill / kRounds, kRounds);
        DeleteFileA(treeFile.c_str());
    }
    double fill = 0, apply = 0;
    HWND list = FindWindowExA(form.Window(), nullptr, WC_LISTVIEWA, nullptr);
    HWND tree = FindWindowExA(form.Window(), nullptr, WC_TREEVIEWA, nullptr);
    for (int round = 0; round < kRounds; ++round) {
        const double begin = Now();
        form.Prepare(); // fills the tree and the check list
        UpdateWindow(form.Window());
        GdiFlush();
        fill += Now() - begin;

        const double click = Now();
        ListView_SetCheckState(list, 1, round % 2 == 0);
        UpdateWindow(list);
        GdiFlush();
        apply += Now() - click;
    }
    std::printf("features: %u tree nodes, %d check list items\n",
                static_cast<unsigned>(SendMessageA(tree, TVM_GETCOUNT, 0, 0)),
                static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
    std::printf("fill the tree (2,000 features, 10 levels) and the check list (200): %.1f ms "
                "(mean of %d)\n",
                fill / kRounds, kRounds);
    std::printf("apply the check list (200 items over 2,000 features): %.1f ms (mean of %d)\n",
                apply / kRounds, kRounds);
    DeleteFileA(file.c_str());
    return 0;
}
