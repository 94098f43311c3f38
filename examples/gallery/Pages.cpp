#include "examples/gallery/Gallery.h"

#include <unistd.h>

#include <filesystem>

namespace gallery {

std::vector<std::string> ProcessorPage(const std::string& outDir);
std::vector<std::string> RunGdiPage(const std::string& outDir);
std::vector<std::string> DesktopPage(const std::string& outDir);
std::vector<std::string> ShapesPage(const std::string& outDir);
std::vector<std::string> RunTextPage(const std::string& outDir);
std::vector<std::string> LinesPage(const std::string& outDir);
std::vector<std::string> ResamplePage(const std::string& outDir);
std::vector<std::string> BitmapTextPage(const std::string& outDir);
std::vector<std::string> VectorPage(const std::string& outDir);
std::vector<std::string> GeometryPage(const std::string& outDir);
std::vector<std::string> FillersPage(const std::string& outDir);
std::vector<std::string> PathsPage(const std::string& outDir);
std::vector<std::string> GradientsPage(const std::string& outDir);
std::vector<std::string> InteractionPage(const std::string& outDir);
std::vector<std::string> FormPage(const std::string& outDir);
std::vector<std::string> PaintBoxPage(const std::string& outDir);
std::vector<std::string> GdiplusPage(const std::string& outDir);
std::vector<std::string> SkinPage(const std::string& outDir);
std::vector<std::string> EasingPage(const std::string& outDir);
std::vector<std::string> SkinUtilsPage(const std::string& outDir);
std::vector<std::string> TransparencyPage(const std::string& outDir);
std::vector<std::string> PanelsPage(const std::string& outDir);
std::vector<std::string> TipsPage(const std::string& outDir);
std::vector<std::string> HtmlPage(const std::string& outDir);
std::vector<std::string> EditModelPage(const std::string& outDir);
std::vector<std::string> EditsPage(const std::string& outDir);
std::vector<std::string> HintsPage(const std::string& outDir);
std::vector<std::string> MenusPage(const std::string& outDir);
std::vector<std::string> SkinFormPage(const std::string& outDir);
std::vector<std::string> TitleBarPage(const std::string& outDir);
std::vector<std::string> AlphaFormPage(const std::string& outDir);
std::vector<std::string> ScrollBarsPage(const std::string& outDir);
std::vector<std::string> RasterizersPage(const std::string& outDir);
std::vector<std::string> TransformsPage(const std::string& outDir);
std::vector<std::string> ProgressPage(const std::string& outDir);
std::vector<std::string> RangeBarsPage(const std::string& outDir);
std::vector<std::string> LayersPage(const std::string& outDir);
std::vector<std::string> EditPage(const std::string& outDir);
std::vector<std::string> MemoPage(const std::string& outDir);
std::vector<std::string> ListsPage(const std::string& outDir);
std::vector<std::string> CombosPage(const std::string& outDir);
std::vector<std::string> ListsTabsPage(const std::string& outDir);
std::vector<std::string> SkinConfigPage(const std::string& outDir);
std::vector<std::string> ButtonsPage(const std::string& outDir);
std::vector<std::string> DragDropPage(const std::string& outDir);
std::vector<std::string> OleDragPage(const std::string& outDir);
std::vector<std::string> ShellPage(const std::string& outDir);
std::vector<std::string> TrayPage(const std::string& outDir);
std::vector<std::string> TreeFramePage(const std::string& outDir);
std::vector<std::string> TreeDecorationsPage(const std::string& outDir);
std::vector<std::string> ControlsPage(const std::string& outDir);
std::vector<std::string> ListViewPage(const std::string& outDir);
std::vector<std::string> TabsPage(const std::string& outDir);
std::vector<std::string> TreeHeaderPage(const std::string& outDir);
std::vector<std::string> TreePage(const std::string& outDir);
std::vector<std::string> TreeStringPage(const std::string& outDir);
std::vector<std::string> TreeScrollPage(const std::string& outDir);
std::vector<std::string> TreeSkinnedPage(const std::string& outDir);
std::vector<std::string> TreeMousePage(const std::string& outDir);
std::vector<std::string> TreeHintsPage(const std::string& outDir);
std::vector<std::string> TreeHeaderMousePage(const std::string& outDir);
std::vector<std::string> TreePrintPage(const std::string& outDir);
std::vector<std::string> TreeTogglePage(const std::string& outDir);
std::vector<std::string> TreeKeyboardPage(const std::string& outDir);
std::vector<std::string> TreeEditPage(const std::string& outDir);
std::vector<std::string> ImagePage(const std::string& outDir);
std::vector<std::string> MessagesPage(const std::string& outDir);
std::vector<std::string> SvgShapesPage(const std::string& outDir);
std::vector<std::string> SwitchLineCalloutPage(const std::string& outDir);
std::vector<std::string> PrintingPage(const std::string& outDir);
std::vector<std::string> ColorButtonsPage(const std::string& outDir);
std::vector<std::string> CalendarPage(const std::string& outDir);
std::vector<std::string> DateTimePickerPage(const std::string& outDir);
std::vector<std::string> ToolbarPage(const std::string& outDir);
std::vector<std::string> TabsetPage(const std::string& outDir);
std::vector<std::string> StdCtrlsPage(const std::string& outDir);
std::vector<std::string> DesignPage(const std::string& outDir);
std::vector<std::string> ResManagerPage(const std::string& outDir);
std::vector<std::string> IconListPage(const std::string& outDir);
std::vector<std::string> TagsPagerPage(const std::string& outDir);
std::vector<std::string> GaugesPage(const std::string& outDir);
std::vector<std::string> TickerPage(const std::string& outDir);
std::vector<std::string> DropFilesPage(const std::string& outDir);
std::vector<std::string> SliderPage(const std::string& outDir);

std::string WorkFolder() {
  static const std::string folder = [] {
    const auto f = std::filesystem::temp_directory_path() / ("quarn-gallery-" + std::to_string(::getpid()));
    std::filesystem::create_directories(f);
    return f.string();
  }();
  return folder;
}

void RemoveWorkFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::temp_directory_path() / ("quarn-gallery-" + std::to_string(::getpid())),
                              ignored);
}

std::vector<Page> AllPages() {
  return {
      {"processor", ProcessorPage},
      {"gdi", RunGdiPage},
      {"desktop", DesktopPage},
      {"shapes", ShapesPage},
      {"text", RunTextPage},
      {"lines", LinesPage},
      {"resample", ResamplePage},
      {"bitmap-text", BitmapTextPage},
      {"vector", VectorPage},
      {"geometry", GeometryPage},
      {"fillers", FillersPage},
      {"paths", PathsPage},
      {"gradients", GradientsPage},
      {"interaction", InteractionPage},
      {"form", FormPage},
      {"stdctrls", StdCtrlsPage},
      {"design", DesignPage},
      {"resmanager", ResManagerPage},
      {"paintbox", PaintBoxPage},
      {"gdiplus", GdiplusPage},
      {"skin", SkinPage},
      {"easing", EasingPage},
      {"skinutils", SkinUtilsPage},
      {"transparency", TransparencyPage},
      {"panels", PanelsPage},
      {"tips", TipsPage},
      {"html", HtmlPage},
      {"editmodel", EditModelPage},
      {"edits", EditsPage},
      {"hints", HintsPage},
      {"menus", MenusPage},
      {"skinform", SkinFormPage},
      {"titlebar", TitleBarPage},
      {"alphaform", AlphaFormPage},
      {"scrollbars", ScrollBarsPage},
      {"rasterizers", RasterizersPage},
      {"transforms", TransformsPage},
      {"progress", ProgressPage},
      {"rangebars", RangeBarsPage},
      {"layers", LayersPage},
      {"edit", EditPage},
      {"memo", MemoPage},
      {"lists", ListsPage},
      {"combos", CombosPage},
      {"skinconfig", SkinConfigPage},
      {"buttons", ButtonsPage},
      {"dragdrop", DragDropPage},
      {"ole-drag", OleDragPage},
      {"shell", ShellPage},
      {"tray", TrayPage},
      {"lists-tabs", ListsTabsPage},
      {"treeframe", TreeFramePage},
      {"treedecorations", TreeDecorationsPage},
      {"controls", ControlsPage},
      {"listview", ListViewPage},
      {"tabs", TabsPage},
      {"treeheader", TreeHeaderPage},
      {"tree", TreePage},
      {"treestring", TreeStringPage},
      {"treescroll", TreeScrollPage},
      {"treeskinned", TreeSkinnedPage},
      {"treemouse", TreeMousePage},
      {"treehints", TreeHintsPage},
      {"treeheadermouse", TreeHeaderMousePage},
      {"treeprint", TreePrintPage},
      {"treetoggle", TreeTogglePage},
      {"treekeyboard", TreeKeyboardPage},
      {"treeedit", TreeEditPage},
      {"image", ImagePage},
      {"messages", MessagesPage},
      {"svgshapes", SvgShapesPage},
      {"switch-line-callout", SwitchLineCalloutPage},
      {"printing", PrintingPage},
      {"colorbuttons", ColorButtonsPage},
      {"calendar", CalendarPage},
      {"datetimepicker", DateTimePickerPage},
      {"toolbar", ToolbarPage},
      {"tabset", TabsetPage},
      {"iconlist", IconListPage},
      {"tags-pager", TagsPagerPage},
      {"gauges", GaugesPage},
      {"ticker", TickerPage},
      {"dropfiles", DropFilesPage},
      {"slider", SliderPage},
  };
}

}  // namespace gallery
