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
std::vector<std::string> TreeDragDropPage(const std::string& outDir);
std::vector<std::string> TreeDragImagePage(const std::string& outDir);
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
std::vector<std::string> DesignPackagePage(const std::string& outDir);
std::vector<std::string> IconListPage(const std::string& outDir);
std::vector<std::string> TagsPagerPage(const std::string& outDir);
std::vector<std::string> GaugesPage(const std::string& outDir);
std::vector<std::string> TickerPage(const std::string& outDir);
std::vector<std::string> DropFilesPage(const std::string& outDir);
std::vector<std::string> SliderPage(const std::string& outDir);
std::vector<std::string> NonVisualPage(const std::string& outDir);

namespace {
std::filesystem::path WorkFolderPath() {
  return std::filesystem::temp_directory_path() / ("quarn-gallery-" + std::to_string(::getpid()));
}
}  // namespace

std::string WorkFolder() {
  static const std::string folder = [] {
    std::filesystem::create_directories(WorkFolderPath());
    return WorkFolderPath().string();
  }();
  return folder;
}

void RemoveWorkFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(WorkFolderPath(), ignored);
}

std::vector<Page> AllPages() {
  // {name, run, section, title, sentence}
  return {
      {"gdi", RunGdiPage, kGraphics, "GDI drawing",
       "Shapes, pens, hatch and pattern brushes, the raster operations (source: horizontal bands; destination: "
       "vertical bands; pattern: green hatch), regions, edges and frame controls, as the host's GDI draws them."},
      {"desktop", DesktopPage, kForms, "Windows on the desktop",
       "Two overlapping top-level windows with child windows, painted through WM_PAINT and composed on the screen."},
      {"shapes", ShapesPage, kForms, "Window shapes",
       "A rounded form with soft layered borders, a window at half opacity, a colour-keyed ring and a "
       "per-pixel-alpha glow on the composed screen."},
      {"text", RunTextPage, kGraphics, "Fonts and text",
       "Font faces and pixel sizes, text alignment, DrawText's wrapping, clipping and ellipses."},
      {"lines", LinesPage, kGraphics, "Line kinds",
       "A star of rays in every line kind over a checker, unclipped and clipped to an inner rectangle."},
      {"resample", ResamplePage, kGraphics, "Resamplers",
       "One small picture stretched up 2.5 times and down to five eighths by every resampler and kernel, the "
       "original at the right of each row."},
      {"bitmap-text", BitmapTextPage, kGraphics, "Text on a 32-bit bitmap",
       "GDI text, which leaves alpha at 0, beside the library's RenderText at every anti-aliasing level, opaque and "
       "half transparent."},
      {"vector", VectorPage, kGraphics, "Vector polygons",
       "Anti-aliased polygon fills in both fill rules, strokes with each join and end, and dashed outlines."},
      {"geometry", GeometryPage, kGraphics, "Geometry",
       "A noisy line thinned at three tolerances, Delaunay triangulations, segment crossings and a point-in-polygon "
       "grid."},
      {"fillers", FillersPage, kGraphics, "Renderers and fillers",
       "Small shapes through the exact-area and subpixel renderers, magnified, then pattern, invert, sampler and "
       "callback fillers."},
      {"paths", PathsPage, kGraphics, "Paths and brushes",
       "Curved icons drawn by the path canvas with fill, stroke, dashed, grow and nested brushes, and a justified "
       "paragraph of glyph outlines."},
      {"gradients", GradientsPage, kGraphics, "Gradients",
       "Every gradient sampler in clamp, repeat and mirror, the sparse-point samplers, and dials built from arcs "
       "and gradient fills."},
      {"interaction", InteractionPage, kForms, "Scripted input",
       "A window moved by its caption and sized from its corner, a pop-up menu opened and cancelled, a soft layered "
       "window over it."},
      {"form", FormPage, kForms, "A modal order form",
       "Windowed and windowless controls on a small form run modally and driven by queued input: Tab, a click, Tab "
       "to OK and Enter."},
      {"stdctrls", StdCtrlsPage, kControls, "Standard controls",
       "Labels, three-state check boxes, radio buttons in group boxes and a combo box of each style, one dropped down."},
      {"design", DesignPage, kDesign, "Design host",
       "A form in design mode with Button1 selected (grab handles), beside the inspector's rows for the button, "
       "Font expanded."},
      {"resmanager", ResManagerPage, kDesign, "Image resource manager",
       "The design-time dialog on a project holding the default skin: the button image chosen, its preview dragged "
       "away from the centre."},
      {"design-package", DesignPackagePage, kDesign, "The design package",
       "What the IDE gets when it loads the package: the palette page \"Quarn\", a designed form, the inspector's "
       "image-id and About rows, and the About window."},
      {"paintbox", PaintBoxPage, kControls, "Paint boxes",
       "Six paint boxes drawing into back buffers: gradients, anti-aliased lines, polygons and text; two repainted "
       "through the message queue."},
      {"gdiplus", GdiplusPage, kGraphics, "GDI+ objects",
       "Anti-aliased pens, brushes, gradients, paths, text and images of the GDI+ object layer."},
      {"skin", SkinPage, kSkin, "The default skin",
       "Every image of the default skin, enlarged twice on a checker so alpha shows, labelled with its id and frame "
       "numbers."},
      {"easing", EasingPage, kSkin, "Easing curves",
       "The 28 easing curves in 60 steps, overshoot included, and five-frame strips cut from side-by-side and "
       "stacked pictures."},
      {"skinutils", SkinUtilsPage, kSkin, "Skin drawing utilities",
       "Nine- and three-slice stretching, the six fill types, gradients, glowing text, shaken pictures and pictures "
       "in circles."},
      {"transparency", TransparencyPage, kSkin, "Translucent skinned controls",
       "Skinned controls three deep over a picture, each drawing a translucent rounded body over what its parent "
       "shows."},
      {"panels", PanelsPage, kSkin, "Translucent panels",
       "Panels over a picture in every fill type, gradient direction and anchor, with borders, hot frames, labels "
       "and group boxes."},
      {"tips", TipsPage, kControls, "Tips",
       "A sign-up form with a titled tip beside its user-name field, a red edit tip by the password field and a tip "
       "centred on a screen rectangle."},
      {"html", HtmlPage, kControls, "HTML labels",
       "Every tag the HTML label knows, a link in its hot colour, a disabled label drawn embossed and a centred "
       "block on a rounded background."},
      {"editmodel", EditModelPage, kControls, "Typing into an edit",
       "A scripted typing run, one row per step: the text in cells with the shown part, selection and caret, then "
       "the edit's picture."},
      {"edits", EditsPage, kControls, "Edits",
       "The library-drawn edits in their states: hint, hot and focus borders, caret, selection, items, spin, search "
       "and password edits."},
      {"hints", HintsPage, kForms, "Hints, dialogs and theme parts",
       "A form with a hint showing, a question box over it, the colour dialog opened full, and every element the "
       "theme library draws."},
      {"menus", MenusPage, kForms, "Menus",
       "A context menu walked into its submenu: images, shortcuts, a disabled item, a check, a radio group and "
       "owner-drawn colour chips."},
      {"skinform", SkinFormPage, kForms, "Skinned forms",
       "An active and an inactive skinned form, and a landscape filling four forms by tiling, stretching, "
       "nine-slicing and the blurred cover."},
      {"titlebar", TitleBarPage, kForms, "Title-bar controls",
       "Skinned forms whose title bars hold an image, a glowing label, a button of the application's own and system "
       "buttons, one hot and one held down."},
      {"alphaform", AlphaFormPage, kForms, "Layered alpha form, marquee and balloon hint",
       "A form drawn as one translucent skin picture with its title-bar controls, text scrolling through title "
       "bars, and a balloon hint that opens towards the room it has."},
      {"scrollbars", ScrollBarsPage, kControls, "Skinned scroll bars",
       "Horizontal and vertical skinned bars over a picture: at rest, hovered, a hot arrow, a pressed thumb, "
       "focused, disabled, several page sizes."},
      {"rasterizers", RasterizersPage, kGraphics, "Rasterizers",
       "The order in which each rasterizer visits the pixels of one picture as a heat map, and a vector field read "
       "back from a mesh file."},
      {"transforms", TransformsPage, kGraphics, "Transformations",
       "One test picture through affine, projective, twirl, bloat, disturbance, fish-eye, polar, path and remap "
       "transformations and the kernel filters."},
      {"progress", ProgressPage, kControls, "Progress, track bars, splitters, expand boxes",
       "Progress bars and sliders, the hue, saturation and brightness bars, splitters, expand boxes open and "
       "folded, and the size grip."},
      {"rangebars", RangeBarsPage, kControls, "Range and gauge bars",
       "Range and gauge bars in the themed, classic and flat looks, horizontal and vertical, at rest, hot, pressed "
       "and disabled."},
      {"layers", LayersPage, kGraphics, "Bitmap layers",
       "A picture with alpha bitmap layers (a soft sun, a frosted card, a ring) and a rubber band that scripted "
       "input moved from its dashed start and resized."},
      {"edit", EditPage, kControls, "Native edit and memo",
       "The host's edits with the caret, a selection and a password; word-wrapped, read-only and transparent memos."},
      {"memo", MemoPage, kControls, "Memo and scroll box",
       "A transparent memo in its frame over a picture with both skinned bars, and a see-through scroll box "
       "scrolled by external bars."},
      {"lists", ListsPage, kControls, "Skinned list boxes",
       "A list scrolled by its skinned bar, a multi-column list, owner-drawn swatches, a focused list and an open "
       "drop-down list."},
      {"combos", CombosPage, kControls, "Skinned combo boxes",
       "Editor and list styles, hot and disabled, an editor combo with its list open and scrolled, and a colour "
       "combo open."},
      {"skinconfig", SkinConfigPage, kSkin, "Skin configuration",
       "Two skinned forms with the built-in settings beside the same forms after a hand-written Skin/Config.xml "
       "changed their colours."},
      {"buttons", ButtonsPage, kControls, "Skinned buttons",
       "The five buttons normal, hot, pressed and disabled, one with a drop-down arrow, check and radio boxes in "
       "every state, right to left."},
      {"dragdrop", DragDropPage, kForms, "Drag and drop",
       "An order card dragged onto a basket that accepts it beside an archive that refuses, and the bevel kinds of "
       "the non-client area."},
      {"ole-drag", OleDragPage, kForms, "OLE drag and drop",
       "A drag resting over a drop target: the source offers copy or move, the target takes the copy, the copy "
       "cursor at the pointer."},
      {"shell", ShellPage, kForms, "Shell",
       "The taskbar's notification area with two icons, a tip and a balloon, and files dragged from the shell "
       "with the shell's drag picture."},
      {"tray", TrayPage, kForms, "Tray icons",
       "Two tray icons on the shell's taskbar: a balloon hint, and the pop-up menu of a right click."},
      {"lists-tabs", ListsTabsPage, kControls, "Lists and tabs",
       "Sorted, owner-drawn, multi-column and multi-select list boxes, page controls with tabs on each side, and "
       "flat-button tabs."},
      {"treeframe", TreeFramePage, kTree, "Tree frames",
       "The lazy tree's bevel kinds, border widths and colours, backgrounds and blending."},
      {"treedecorations", TreeDecorationsPage, kTree, "Tree decorations",
       "Tree lines of every type, expand buttons, check box sets and node images as the lazy tree draws them."},
      {"controls", ControlsPage, kControls, "The standard-controls form",
       "Every standard skinned control on one form, played through by a person step by step; the last picture is "
       "the end state."},
      {"listview", ListViewPage, kControls, "List views",
       "The vessels of a small harbour in the host's list view and in the skinned list view."},
      {"tabs", TabsPage, kControls, "Skinned page controls",
       "Page controls over a picture with tabs on each side, translucent sheets, a hot tab and glowing captions."},
      {"treeheader", TreeHeaderPage, kTree, "Tree header",
       "The header's button styles, hot, pressed and sorted cells, images, glyphs and column alignment."},
      {"tree", TreePage, kTree, "The lazy tree",
       "A three-column tree with check boxes, images, selection, focus, grid lines and drop marks, and a blended "
       "full-row selection."},
      {"treestring", TreeStringPage, kTree, "String and owner-draw trees",
       "Captions from OnGetText with ellipsis and right-to-left columns, multi-line nodes, and the owner-draw tree."},
      {"treescroll", TreeScrollPage, kTree, "Scrolled trees",
       "Trees scrolled both ways with their native bars, a fixed column beside scrolled ones, and the wheel-panning "
       "markers."},
      {"treeskinned", TreeSkinnedPage, kTree, "Skinned trees",
       "The skinned string and draw trees on a skinned form, framed by border panels and scrolled through the "
       "skin's own bars."},
      {"treemouse", TreeMousePage, kTree, "Tree mouse input",
       "Rubber bands blended and dotted, a hot node and button, and a pressed check box under scripted mouse "
       "gestures."},
      {"treeheadermouse", TreeHeaderMousePage, kTree, "Header mouse input",
       "The header answers the mouse: columns are dragged to new places, cells light up and press."},
      {"treeprint", TreePrintPage, kTree, "Printing the tree",
       "A three-column tree of 400 nodes printed with its header on A4 pages of the recording printer, pages "
       "reduced in order."},
      {"treetoggle", TreeTogglePage, kTree, "Toggle animation",
       "A tree expanding and one collapsing with the toggle animation: frames of the animation and the finished "
       "picture."},
      {"treekeyboard", TreeKeyboardPage, kTree, "Tree keyboard input",
       "String trees driven from the keyboard (the keys pressed above each): a Shift range, Tab through the grid, "
       "Space on check boxes, and typing to jump to a match."},
      {"treeedit", TreeEditPage, kTree, "In-place editing of captions",
       "F2 lays an editor over the focused cell; Return keeps the new text, Escape drops it."},
      {"treehints", TreeHintsPage, kTree, "Tree hints and tooltips",
       "A tooltip showing a cut-off cell in full over it, a node hint of several lines, an owner-drawn hint and a "
       "column hint, each caught from a scripted hover."},
      {"tree-dragdrop", TreeDragDropPage, kTree, "Tree drag and drop",
       "A node dragged from one tree into another, caught mid-drag: the target node highlighted, the drop mark below "
       "a row, and a folder opened by resting on it."},
      {"tree-dragimage", TreeDragImagePage, kTree, "Node drag image",
       "Three selected nodes dragged from one string tree over another: the faded picture of the rows follows the "
       "pointer with the drop mark showing through it."},
      {"image", ImagePage, kControls, "Image controls",
       "A landscape in each scale mode, a badge in each alignment, a scrolled image view, and an image whose "
       "balloon layers moved."},
      {"messages", MessagesPage, kForms, "Skinned message box and notifications",
       "The box is modal over the form and built from the skin; notifications stack up from the corner of the work "
       "area."},
      {"svgshapes", SvgShapesPage, kControls, "Shapes and SVG paths",
       "Shapes fill with a translucent brush and outline with a solid, dotted or dashed pen; SVG path data draws "
       "through the same brush and pen."},
      {"switch-line-callout", SwitchLineCalloutPage, kControls, "Switches, lines and callouts",
       "On/off switches drawn from two skin strips, separators that fade out from an anchor, and panels with a "
       "speech-bubble pointer."},
      {"printing", PrintingPage, kGraphics, "Printing",
       "A two-page document printed on the recording printer (A4 at 300 dpi), both pages shown at one fifth of "
       "their size."},
      {"colorbuttons", ColorButtonsPage, kControls, "Colour and corner buttons",
       "Flat buttons filled from a colour per state, with border sides, rounded corners and images."},
      {"calendar", CalendarPage, kControls, "Calendar and time boxes",
       "A month grid with a focus day and an optional range, and pickers for hours, minutes and seconds."},
      {"datetimepicker", DateTimePickerPage, kControls, "Date-time picker",
       "An edit whose calendar icon drops down a form to pick a date and a time; the pick comes back as text."},
      {"toolbar", ToolbarPage, kControls, "Toolbars",
       "Rows and a column of items drawn from the skin's button frames over a translucent panel."},
      {"tabset", TabsetPage, kControls, "Toolbar menus and tab sets",
       "A drop-down menu opened from a toolbar item, and a tab dragged to a new place."},
      {"iconlist", IconListPage, kControls, "Icon button lists",
       "Grids of icon cells that wrap at the width, scroll, check and click, and in edit mode show delete badges, "
       "shake and reorder by dragging."},
      {"tags-pager", TagsPagerPage, kControls, "Tags and pagers",
       "Chips that flow into rows with round delete buttons, and pagers built on the icon list."},
      {"gauges", GaugesPage, kControls, "Gauges",
       "Progress rings and speedometer dials drawn from anti-aliased arcs; the dial's needle glides to a new value "
       "in 15 eased frames."},
      {"ticker", TickerPage, kControls, "Message bar and frame animation",
       "A one-line ticker that slides its messages up along an ease-in curve, and frame animations played from an "
       "image list."},
      {"dropfiles", DropFilesPage, kForms, "File drop target and edge docking",
       "Files dragged from the shell light up the panel they may be dropped on; a form docked at the top edge "
       "hides to a strip."},
      {"slider", SliderPage, kControls, "Image slider, circle shapes and markers",
       "A carousel that slides or fades between its images, pictures cut into circles, and map markers."},
      {"nonvisual", NonVisualPage, kControls, "Non-visual components",
       "The palette's components with no window of their own at work: its pop-up menu, an image list, a pop-up that "
       "closes like a menu, and the form file of an empty marker component."},
      // Last of its section: a table, not the picture to meet the gallery with.
      {"processor", ProcessorPage, kGraphics, "Processor",
       "The processor's instruction sets and the implementation bound to each raster function, as a table."},
  };
}

}  // namespace gallery
