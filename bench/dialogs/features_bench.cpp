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

// The same page without one of its two controls ("TreeView1", "CheckListBox1").
std::string Without(const char* control)
{
    std::string form = kForm;
    const std::size_t from = form.find(std::string("  object ") + control);
    const std::size_t to = form.find("  end\n", from) + 6;
    return form.erase(from, to - from);
}

// Round times: the fastest shows the work itself on a machine that others share, the mean
// what a user may see.
struct TTimes {
    double Best = 1e300, Total = 0;
    int Rounds = 0;
    void Add(double ms)
    {
        Best = ms < Best ? ms : Best;
        Total += ms;
        ++Rounds;
    }
    void Print(const char* what) const
    {
        std::printf("%s: %.1f ms best, %.1f ms mean of %d\n", what, Best, Total / Rounds, Rounds);
    }
};

constexpr int kRounds = 7;

// Filling a page made of `form` alone.
TTimes FillAlone(const std::string& folder, const std::string& form, const char* name,
                 ovd::TComponentFeatures& features)
{
    const std::string file = folder + name;
    std::ofstream(file, std::ios::binary) << form;
    ovd::TPoolTemplate page(file, ovd::TDialogModel::FromForm(ovd::ReadFormFile(file)), {});
    page.SetFeatures(&features);
    ShowWindow(page.Window(), SW_SHOW);
    TTimes times;
    for (int round = 0; round < kRounds; ++round) {
        const double begin = Now();
        page.Prepare();
        UpdateWindow(page.Window());
        GdiFlush();
        times.Add(Now() - begin);
    }
    DeleteFileA(file.c_str());
    return times;
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

    FillAlone(temp, Without("CheckListBox1"), "features_bench_tree.dfm", features)
        .Print("fill the tree alone (2,000 features, 10 levels)");
    FillAlone(temp, Without("TreeView1"), "features_bench_list.dfm", features)
        .Print("fill the check list alone (200 features)");
    TTimes fill, apply;
    HWND list = FindWindowExA(form.Window(), nullptr, WC_LISTVIEWA, nullptr);
    HWND tree = FindWindowExA(form.Window(), nullptr, WC_TREEVIEWA, nullptr);
    for (int round = 0; round < kRounds; ++round) {
        const double begin = Now();
        form.Prepare(); // fills the tree and the check list
        UpdateWindow(form.Window());
        GdiFlush();
        fill.Add(Now() - begin);

        const double click = Now();
        ListView_SetCheckState(list, 1, round % 2 == 0);
        UpdateWindow(list);
        GdiFlush();
        apply.Add(Now() - click);
    }
    std::printf("features: %u tree nodes, %d check list items\n",
                static_cast<unsigned>(SendMessageA(tree, TVM_GETCOUNT, 0, 0)),
                static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
    fill.Print("fill the tree (2,000 features, 10 levels) and the check list (200)");
    apply.Print("apply the check list (200 items over 2,000 features)");
    DeleteFileA(file.c_str());
    return 0;
}
