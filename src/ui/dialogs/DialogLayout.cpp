#include "DialogLayout.h"

#include <algorithm>
#include <string>

namespace ovd {
namespace {

enum class TAlign { None, Top, Bottom, Left, Right, Client };

TAlign AlignOf(const TControlModel& control)
{
    const std::string align = control.Get("Align");
    if (align == "alTop")
        return TAlign::Top;
    if (align == "alBottom")
        return TAlign::Bottom;
    if (align == "alLeft")
        return TAlign::Left;
    if (align == "alRight")
        return TAlign::Right;
    if (align == "alClient")
        return TAlign::Client;
    return TAlign::None;
}

struct TAnchors {
    bool Left = true, Top = true, Right = false, Bottom = false;
};

TAnchors AnchorsOf(const TControlModel& control)
{
    if (!control.Has("Anchors"))
        return {};
    const std::string anchors = control.Get("Anchors");
    const auto has = [&](const char* name) { return anchors.find(name) != std::string::npos; };
    return {has("akLeft"), has("akTop"), has("akRight"), has("akBottom")};
}

// The part of a holder that aligned controls share (its frame, caption or tabs left out).
TInsets AlignInsets(const TControlModel& holder)
{
    const TControlClass& kind = ClassOf(holder.Kind);
    if (!(kind.Traits & kBevelled))
        return kind.Frame;
    const long bevel = holder.Integer("BevelWidth", 1);
    long inset = holder.Integer("BorderWidth", 0);
    if (holder.Get("BevelOuter") != "bvNone")
        inset += bevel;
    if (holder.Has("BevelInner") && holder.Get("BevelInner") != "bvNone")
        inset += bevel;
    return {inset, inset, inset, inset};
}

// One axis of an anchored control: its start and length after the holder's length changed
// from `designed` to `actual`.
void Anchor(long& start, long& length, bool nearEdge, bool farEdge, long designed, long actual)
{
    const long delta = actual - designed;
    if (delta == 0 || designed <= 0) // a holder without a designed size keeps its controls
        return;
    if (nearEdge && farEdge)
        length = std::max(0L, length + delta);
    else if (farEdge)
        start += delta;
    else if (!nearEdge) // neither: the centre keeps its proportion
        start = (2 * start + length) * actual / designed / 2 - length / 2;
}

} // namespace

long DesignClientWidth(const TControlModel& form)
{
    return static_cast<long>(form.Has("ClientWidth") ? form.Integer("ClientWidth")
                                                     : form.Integer("Width") - 6);
}

long DesignClientHeight(const TControlModel& form)
{
    return static_cast<long>(form.Has("ClientHeight") ? form.Integer("ClientHeight")
                                                      : form.Integer("Height") - 25);
}

std::vector<TLayoutRect> LayoutDialog(const TDialogModel& model, long clientWidth,
                                      long clientHeight)
{
    const auto& controls = model.Controls();
    std::vector<TLayoutRect> places(controls.size());
    if (controls.empty())
        return places;
    places[0] = {0, 0, clientWidth, clientHeight};
    std::vector<std::vector<std::size_t>> children(controls.size());
    for (std::size_t i = 1; i < controls.size(); ++i)
        if (controls[i].Parent >= 0)
            children[static_cast<std::size_t>(controls[i].Parent)].push_back(i);

    // Holders come before what they hold (creation order), so one pass places every level.
    for (std::size_t holder = 0; holder < controls.size(); ++holder) {
        const std::vector<std::size_t>& kids = children[holder];
        if (kids.empty())
            continue;
        const TControlModel& outer = controls[holder];
        const TLayoutRect& box = places[holder];
        const long designedWidth =
            holder == 0 ? DesignClientWidth(outer) : static_cast<long>(outer.Integer("Width"));
        const long designedHeight =
            holder == 0 ? DesignClientHeight(outer) : static_cast<long>(outer.Integer("Height"));
        // Positions of held controls are relative to the holder's top left corner.
        for (std::size_t kid : kids) {
            const TControlModel& control = controls[kid];
            TLayoutRect place{static_cast<long>(control.Integer("Left")),
                              static_cast<long>(control.Integer("Top")),
                              static_cast<long>(control.Integer("Width")),
                              static_cast<long>(control.Integer("Height"))};
            if (control.Kind == TControlKind::TabSheet && outer.Kind == TControlKind::PageControl) {
                const TInsets tabs = AlignInsets(outer);
                place = {tabs.Left, tabs.Top, std::max(0L, box.Width - tabs.Left - tabs.Right),
                         std::max(0L, box.Height - tabs.Top - tabs.Bottom)};
            } else if (AlignOf(control) == TAlign::None) {
                const TAnchors anchors = AnchorsOf(control);
                Anchor(place.Left, place.Width, anchors.Left, anchors.Right, designedWidth,
                       box.Width);
                Anchor(place.Top, place.Height, anchors.Top, anchors.Bottom, designedHeight,
                       box.Height);
            }
            places[kid] = {box.Left + place.Left, box.Top + place.Top, place.Width, place.Height};
        }

        // Aligned controls: top, bottom, left, right, then client, each group in the order
        // of its edge; an invisible control takes no room.
        const TInsets insets = AlignInsets(outer);
        long left = insets.Left, top = insets.Top;
        long right = box.Width - insets.Right, bottom = box.Height - insets.Bottom;
        for (const TAlign align :
             {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client}) {
            std::vector<std::size_t> group;
            for (std::size_t kid : kids)
                if (AlignOf(controls[kid]) == align &&
                    !(controls[kid].Kind == TControlKind::TabSheet &&
                      outer.Kind == TControlKind::PageControl))
                    group.push_back(kid);
            const auto edge = [&](std::size_t kid) {
                const TControlModel& c = controls[kid];
                switch (align) {
                case TAlign::Bottom:
                    return -(c.Integer("Top") + c.Integer("Height"));
                case TAlign::Left:
                    return c.Integer("Left");
                case TAlign::Right:
                    return -(c.Integer("Left") + c.Integer("Width"));
                default:
                    return c.Integer("Top");
                }
            };
            std::stable_sort(group.begin(), group.end(),
                             [&](std::size_t a, std::size_t b) { return edge(a) < edge(b); });
            for (std::size_t kid : group) {
                const TControlModel& control = controls[kid];
                const bool takesRoom = control.Boolean("Visible", true);
                const long width = static_cast<long>(control.Integer("Width"));
                const long height = static_cast<long>(control.Integer("Height"));
                TLayoutRect place;
                switch (align) {
                case TAlign::Top:
                    place = {left, top, right - left, height};
                    if (takesRoom)
                        top += height;
                    break;
                case TAlign::Bottom:
                    place = {left, bottom - height, right - left, height};
                    if (takesRoom)
                        bottom -= height;
                    break;
                case TAlign::Left:
                    place = {left, top, width, bottom - top};
                    if (takesRoom)
                        left += width;
                    break;
                case TAlign::Right:
                    place = {right - width, top, width, bottom - top};
                    if (takesRoom)
                        right -= width;
                    break;
                default:
                    place = {left, top, right - left, bottom - top};
                    break;
                }
                place.Width = std::max(0L, place.Width);
                place.Height = std::max(0L, place.Height);
                places[kid] = {box.Left + place.Left, box.Top + place.Top, place.Width,
                               place.Height};
            }
        }
    }
    return places;
}

} // namespace ovd
