// Where controls stand: units of 96 dpi scaled to the form's DPI, strips of
// aligned controls, distances held by anchors, and captions that need room.
#include <algorithm>

#include "Controls.h"

namespace gui {

namespace {
// The strip an aligned control of that width and height takes from the edge
// its alignment names; `rest` keeps what is left (all of it, for alClient).
RECT TakeStrip(RECT& rest, TAlign align, int width, int height) {
  RECT strip = rest;
  switch (align) {
    case alTop:
      strip.bottom = rest.top += height;
      break;
    case alBottom:
      strip.top = rest.bottom -= height;
      break;
    case alLeft:
      strip.right = rest.left += width;
      break;
    case alRight:
      strip.left = rest.right -= width;
      break;
    default:
      break;
  }
  return strip;
}
}  // namespace

void TWinControl::SetBounds(int left, int top, int width, int height) {
  design_ = {left, top, std::max(width, 0), std::max(height, 0)};
  if (BoundsInPixels()) Place(RECT{left, top, left + design_.width, top + design_.height});
  // An aligned control's new thickness moves its neighbours too.
  else if (align_ != alNone && parent_ && parent_->handle_) parent_->AlignControls();
  else Place(LayoutRect());
}

void TWinControl::SetPixelBounds(int left, int top, int width, int height) {
  if (BoundsInPixels()) design_ = {left, top, std::max(width, 0), std::max(height, 0)};
  Place(RECT{left, top, left + std::max(width, 0), top + std::max(height, 0)});
}

void TWinControl::BoundsChanged(const RECT& r) {
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
  if (BoundsInPixels()) design_ = {left_, top_, width_, height_};
}

void TWinControl::Place(const RECT& r) {
  const int width = std::max(0, int(r.right - r.left)), height = std::max(0, int(r.bottom - r.top));
  // A window is only ever moved from here: where nothing moves, the system
  // is not asked (under Wine each move of a window costs about a millisecond).
  if (handle_ && r.left == left_ && r.top == top_ && width == width_ && height == height_) return;
  left_ = r.left;
  top_ = r.top;
  width_ = width;
  height_ = height;
  UpdateBounds();
}

RECT TWinControl::LayoutRect() const {
  // Edges are scaled rather than sizes, so that controls meeting in the
  // design meet at every DPI.
  const Units& d = design_;
  int x0 = Scale(d.left), x1 = Scale(d.left + d.width);
  int y0 = Scale(d.top), y1 = Scale(d.top + d.height);
  if (parent_ && parent_->PlacesControls()) {
    x1 += left_ - x0;
    x0 = left_;
    y1 += top_ - y0;
    y0 = top_;
  } else if (parent_ && parent_->lastClientWidth_ >= 0) {
    // Anchors hold the distances to the parent's edges as designed; before
    // the parent has been laid out the place as designed is all there is.
    const SIZE base = parent_->DesignClientSize();
    if (Anchors & akRight) {
      const int width = x1 - x0;
      x1 = parent_->lastClientWidth_ - Scale(base.cx - (d.left + d.width));
      if (!(Anchors & akLeft)) x0 = x1 - width;
    }
    if (Anchors & akBottom) {
      const int height = y1 - y0;
      y1 = parent_->lastClientHeight_ - Scale(base.cy - (d.top + d.height));
      if (!(Anchors & akTop)) y0 = y1 - height;
    }
  }
  if (growToCaption_) {
    // Grows away from the edge it is held to.
    const SIZE need = const_cast<TWinControl*>(this)->CaptionExtent(x1 - x0);
    if (need.cx > x1 - x0) {
      if ((Anchors & akRight) && !(Anchors & akLeft)) x0 = x1 - need.cx;
      else x1 = x0 + need.cx;
    }
    if (need.cy > y1 - y0) {
      if ((Anchors & akBottom) && !(Anchors & akTop)) y0 = y1 - need.cy;
      else y1 = y0 + need.cy;
    }
  }
  return RECT{x0, y0, x1, y1};
}

void TWinControl::SetGrowToCaption(bool grow) {
  growToCaption_ = grow;
  if (align_ == alNone && !BoundsInPixels()) Place(LayoutRect());
}

SIZE TWinControl::DesignClientSize() const {
  if (!parent_ || align_ == alNone) return SIZE{design_.width, design_.height};
  // The strip the parent's alignment gives this control at the parent's
  // own design size.
  const SIZE outer = parent_->DesignClientSize();
  RECT rest{0, 0, outer.cx, outer.cy};
  for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (const TWinControl* c : parent_->controls_) {
      if (c->align_ != pass || !c->visible_) continue;
      const RECT strip = TakeStrip(rest, pass, c->design_.width, c->design_.height);
      if (c == this) return SIZE{std::max(0, int(strip.right - strip.left)), std::max(0, int(strip.bottom - strip.top))};
    }
  }
  return SIZE{design_.width, design_.height};
}

void TWinControl::ChangeDpi(int dpi) {
  if (dpi <= 0) return;
  SetDpiTree(dpi);
  LayoutTree();
}

void TWinControl::SetDpiTree(int dpi) {
  const bool changed = dpi != dpi_;
  dpi_ = dpi;
  Font.SetPixelsPerInch(dpi);
  for (TWinControl* c : controls_) c->SetDpiTree(dpi);
  if (!changed) return;
  // Its size at the new DPI, for whoever measures it before the layout that
  // follows places it for good.
  if (align_ == alNone && parent_) Place(LayoutRect());
  DpiChanged();
}

void TWinControl::LayoutTree() {
  if (!parent_ && BoundsInPixels()) {
    // A form keeps its place and size; only what it holds is laid out.
  } else if (align_ == alNone) {
    Place(LayoutRect());
  }
  AlignControls();
  for (TWinControl* c : controls_) c->LayoutTree();
}

void TWinControl::UpdateBounds() {
  if (handle_)
    SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::AlignControls() {
  if (!handle_) return;
  RECT r;
  GetClientRect(handle_, &r);
  const bool changed = r.right != lastClientWidth_ || r.bottom != lastClientHeight_ || dpi_ != lastLayoutDpi_;
  lastClientWidth_ = r.right;
  lastClientHeight_ = r.bottom;
  lastLayoutDpi_ = dpi_;

  // Aligned children take their strips in the usual order: top, bottom,
  // left, right, and the client child gets what is left.
  RECT rest = r;
  for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TWinControl* c : controls_) {
      if (c->align_ != pass || !c->visible_) continue;
      c->Place(TakeStrip(rest, pass, c->Scale(c->design_.width), c->Scale(c->design_.height)));
    }
  }
  if (changed)
    for (TWinControl* c : controls_)
      if (c->align_ == alNone) c->Place(c->LayoutRect());
}

}  // namespace gui
