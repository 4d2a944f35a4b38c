#include "lang/builtins/hand_editor_builtins.h"

#include <QByteArray>

#include <string>
#include <vector>

#include "graphics/editors/density_plot_edit.h"
#include "graphics/editors/gr_edit.h"
#include "graphics/editors/hand_editor_panels.h"
#include "graphics/editors/point_digitiser.h"
#include "graphics/editors/point_digitiser_runs.h"
#include "graphics/picture_clipboard.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "platform/cformat.h"

namespace pravella::builtins {

namespace {

int popReal(CalcStackEntry* stack, int* sp, double* dst, VkArg* arg) {
  if (!vkPopArg(stack, sp, dst, arg)) return 0;
  return arg->isReal() ? 1 : vkInvalidArguments();
}

int canceled(const char* message) {
  error_disp(message);
  return 0;
}

// More points than the digitiser holds: say its limit.
int tooManyPoints() {
  error_disp(cformat("Too many points: the digitiser holds at most %d.", kDigitiserCapacity));
  return 0;
}

// The density image of the editors: more than 4 rows and more than 4 columns.
bool densityShape(const VkArg& a) { return a.isReal() && a.rows > 4 && a.cols > 4; }

}  // namespace

int grEditBuiltin(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int count = code[*pc].argc;
  VkArg data, columns;
  double x = 0, y = 0;
  if (count == 3) {
    if (!vkPopNumber(stack, sp, &y) || !vkPopNumber(stack, sp, &x)) return 0;
  } else {
    if (!popReal(stack, sp, vk_tb, &columns)) return 0;
    if (columns.rows != 1 || columns.cols != 2) return vkInvalidArguments();
    x = vk_tb[0];
    y = vk_tb[1];
  }
  if (!popReal(stack, sp, vk_ta, &data)) return 0;
  if (data.rows < 2 || data.cols < 1) return vkInvalidArguments();
  if (!handEditorPanelReady(kShowGrEditPanel)) return 0;
  int rows = 0;
  if (!DoGrEdit_test1(vk_ta, data.rows, data.cols, vkTruncToInt(x), vkTruncToInt(y), vk_tc, &rows))
    return canceled("grEdit Canceled");
  return vkPushReals(stack, sp, vk_tc, rows, data.cols);
}

int getPictPointsBuiltin(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int count = code[*pc].argc;
  std::string title = "getPictPoints";
  VkArg list, last;
  bool hasList = false;
  if (count == 3) {
    if (!vkPopArg(stack, sp, vk_tc, &last)) return 0;
    if (!last.isString()) return vkInvalidArguments();
    title = reinterpret_cast<const char*>(vk_tc);
    if (!popReal(stack, sp, vk_tb, &list)) return 0;
    hasList = true;
  } else if (count == 2) {
    if (!vkPopArg(stack, sp, vk_tb, &last)) return 0;
    if (last.isString()) {
      title = reinterpret_cast<const char*>(vk_tb);
    } else if (last.isReal()) {
      list = last;
      hasList = true;
    } else {
      return vkInvalidArguments();
    }
  }
  VkArg picture;
  if (!vkPopArg(stack, sp, vk_ta, &picture)) return 0;
  if (!picture.isPicture()) return vkInvalidArguments();
  if (hasList && (list.rows < 1 || (list.cols != 2 && list.cols != 9))) return vkInvalidArguments();
  if (hasList && !digitiserInputFits(vk_tb, list.rows, list.cols)) return tooManyPoints();
  if (!handEditorPanelReady(kShowGetPictPointsPanel)) return 0;
  const QByteArray bytes(reinterpret_cast<const char*>(vk_ta), picture.rows);
  if (!DoCopyPictureToScrap(bytes)) return 0;
  DoSetTitleOnGetPictPoints(title);
  std::vector<double> out;
  int rows = 0, cols = 0;
  if (!DoGetPictPoints(vk_tb, hasList ? list.rows : 0, hasList ? list.cols : 0, &out, &rows, &cols))
    return canceled("getPictPoints Canceled");
  return vkPushReals(stack, sp, out.data(), rows, cols);
}

int getPictPointsDataBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double ignored = 0;
  if (!vkPopNumber(stack, sp, &ignored)) return 0;
  std::vector<double> out;
  int rows = 0;
  if (!getDensityPlotEditPointsData(&out, &rows)) return canceled("getPictPoints Canceled");
  return vkPushReals(stack, sp, out.data(), rows, 2);
}

int densityPlotEditBuiltin(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int count = code[*pc].argc;
  double max = 0, min = 0;
  if (count == 2) {
    VkArg range;
    if (!popReal(stack, sp, vk_tb, &range)) return 0;
    if (range.rows != 1 || range.cols != 2) return vkInvalidArguments();
    max = vk_tb[0];
    min = vk_tb[1];
  }
  VkArg data;
  if (!vkPopArg(stack, sp, vk_ta, &data)) return 0;
  if (!densityShape(data)) return vkInvalidArguments();
  if (!handEditorPanelReady(kShowDensityPlotEditPanel)) return 0;
  if (!DoDensityPlotEdit(data.rows, data.cols, vk_ta, max, min, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, data.rows, data.cols);
}

int densityPlotEdit2Builtin(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int count = code[*pc].argc;
  double max = 0, min = 0;
  std::vector<double> outline;
  auto takeOutline = [&](const VkArg& a, const double* values) {
    outline.assign(values, values + static_cast<std::size_t>(a.rows) * 2);
  };
  if (count == 3) {
    VkArg polygon, range;
    if (!popReal(stack, sp, vk_tc, &polygon)) return 0;
    // A triangle is an outline, as with two arguments.
    if (polygon.cols != 2 || polygon.rows < 3) return vkInvalidArguments();
    takeOutline(polygon, vk_tc);
    if (!popReal(stack, sp, vk_tb, &range)) return 0;
    if (range.rows != 1 || range.cols != 2) return vkInvalidArguments();
    max = vk_tb[0];
    min = vk_tb[1];
  } else if (count == 2) {
    VkArg second;
    if (!popReal(stack, sp, vk_tc, &second)) return 0;
    if (second.cols != 2 || second.rows == 2 || second.rows < 1) return vkInvalidArguments();
    if (second.rows == 1) {
      max = vk_tc[0];
      min = vk_tc[1];
    } else {
      takeOutline(second, vk_tc);
    }
  }
  VkArg data;
  if (!vkPopArg(stack, sp, vk_ta, &data)) return 0;
  if (!densityShape(data)) return vkInvalidArguments();
  const int points = static_cast<int>(outline.size() / 2);
  if (points > kDigitiserCapacity) return tooManyPoints();
  if (!handEditorPanelReady(kShowGetPictPointsPanel)) return 0;
  DoSetTitleOnGetPictPoints("densityPlotEdit2");
  if (!DoDensityPlotEdit2(data.rows, data.cols, vk_ta, max, min, outline.data(), points, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, data.rows, data.cols);
}

}  // namespace pravella::builtins
