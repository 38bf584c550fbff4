// Plain geometry of windows and controls, in pixels.
#pragma once

namespace vexel::toolkit {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// left/top inclusive, right/bottom exclusive (a Windows RECT).
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

}  // namespace vexel::toolkit
