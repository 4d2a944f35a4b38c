// Where the main window goes and how wide memo and view are when a side view opens: the
// screen's room first, then the memo's down to its readable width, then the view's down to its
// own minimum.

#include <gtest/gtest.h>

#include "diary/ui/side_view_room.h"

namespace {

using pravella::placeSideView;
using pravella::SideViewPlace;
using pravella::SideViewSpace;

struct Case {
  const char* what;
  QRect available;
  QRect frame;
  int memoWidth, memoMinimum, viewWidth, viewMinimum;
  QRect wantFrame;
  int wantView, wantMemo;
};

TEST(PlaceSideView, ScreenRoomFirstThenTheMemosThenTheViewsOwn) {
  const QRect screen(0, 0, 1600, 1200);
  const Case cases[] = {
      {"room to the right: the window widens by the view and its separator", screen,
       QRect(100, 50, 1000, 800), 600, 480, 400, 200, QRect(100, 50, 1406, 800), 400, 600},
      {"near the right edge: the window moves left", screen, QRect(500, 50, 1000, 800), 600, 480, 400, 200,
       QRect(194, 50, 1406, 800), 400, 600},
      {"part of the room: the memo gives the rest", screen, QRect(0, 0, 1300, 800), 600, 480, 400, 200,
       QRect(0, 0, 1600, 800), 400, 494},
      {"no room: the memo keeps its minimum, the view gets what is left", screen, QRect(0, 0, 1600, 800),
       1100, 480, 800, 200, QRect(0, 0, 1600, 800), 614, 480},
      {"no room for a readable memo: the view keeps its minimum", screen, QRect(0, 0, 1600, 800), 600, 480,
       400, 300, QRect(0, 0, 1600, 800), 300, 294},
      {"a memo narrower than readable keeps its width where there is room", screen, QRect(0, 0, 800, 800),
       300, 480, 400, 200, QRect(0, 0, 1206, 800), 400, 300},
      {"a view asking less than its minimum gets its minimum", screen, QRect(0, 0, 800, 800), 500, 480, 100,
       250, QRect(0, 0, 1056, 800), 250, 500},
      {"a window wider than the screen does not grow", screen, QRect(-50, 0, 1700, 800), 1200, 480, 400, 200,
       QRect(-50, 0, 1700, 800), 400, 794},
      {"a panel on the left: moved left only as far as the area's edge", QRect(64, 0, 1536, 1200),
       QRect(600, 0, 1400, 800), 900, 480, 400, 200, QRect(64, 0, 1536, 800), 400, 630},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SideViewSpace space;
    space.available = c.available;
    space.frame = c.frame;
    space.memoWidth = c.memoWidth;
    space.memoMinimum = c.memoMinimum;
    space.viewWidth = c.viewWidth;
    space.viewMinimum = c.viewMinimum;
    space.separator = 6;
    const SideViewPlace place = placeSideView(space);
    EXPECT_EQ(place.frame, c.wantFrame);
    EXPECT_EQ(place.viewWidth, c.wantView);
    EXPECT_EQ(place.memoWidth, c.wantMemo);
    // Memo, separator and view fill what the window gained and the memo had.
    EXPECT_EQ(place.memoWidth + 6 + place.viewWidth, c.memoWidth + place.frame.width() - c.frame.width());
  }
}

}  // namespace
