// Commands of the charts' context menus (the menus are in the resource
// library), and the dialog templates of the chart library that no Part numbers.
#pragma once

#include <cstdint>

constexpr uint32_t ID_CHART_COPY = 32900;          // picture to the clipboard
constexpr uint32_t ID_CHART_EXPORT = 32901;        // export dialog
constexpr uint32_t ID_CHART_PAGE_LAYOUT = 32902;   // print margins
constexpr uint32_t ID_CHART_UNZOOM = 32903;
constexpr uint32_t ID_CHART_SCALE = 32904;         // range of the axis under the pointer
constexpr uint32_t ID_CHART_GRID = 32905;
constexpr uint32_t ID_CHART_ZERO_LINES = 32906;
constexpr uint32_t ID_CHART_ADD_LABEL = 32907;
constexpr uint32_t ID_CHART_LABEL = 32908;         // properties of the label under the pointer
constexpr uint32_t ID_CHART_DELETE_LABEL = 32909;
constexpr uint32_t ID_CHART_SIGNALS = 32910;
constexpr uint32_t ID_CHART_COPY_TEXT = 32911;     // data as text to the clipboard
constexpr uint32_t ID_CHART_CURSORS = 32912;       // measuring cursors on or off

// Context menus of a plain chart: over an axis, over the plot, over a label.
constexpr uint32_t IDM_CHART_AXIS = 20060;
constexpr uint32_t IDM_CHART_PLOT = 20061;
constexpr uint32_t IDM_CHART_LABEL = 20062;

// The export dialog and the page listing a chart's signals.
constexpr uint32_t IDD_CHART_EXPORT = 3019;
constexpr uint32_t IDD_CHART_SIGNALS = 3050;
