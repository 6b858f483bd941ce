// Exporting a chart: its picture as an enhanced metafile or a bitmap, its
// data as text, each to the clipboard or to a file; the export dialog, the
// size dialogs and the page layout dialog.
#pragma once

#include <windows.h>

#include "charts/Export.h"

// What the export needs of a chart window.
class IExportableChart {
public:
    virtual ~IExportableChart() = default;
    // The window clipboard and dialogs belong to.
    virtual HWND ExportOwner() const = 0;
    virtual CExport& ExportSettings() = 0;
    // Draws the chart with GDI on dc, laid out for area at that target
    // resolution and marked as exporting; afterwards the chart is laid out
    // for its window again.
    virtual void DrawForExport(HDC dc, const RECT& area, int resolutionX, int resolutionY) = 0;
    // The chart's data as tab-separated text.
    virtual void WriteDataText(CMemStream& out) = 0;
};

// The export command: the dialog, then the chosen export. False when the
// user cancelled or the export failed (the user has been told why).
bool RunExportDialog(IExportableChart& chart);
// The copy command: the picture as a metafile of the first format's size.
bool CopyChartPicture(IExportableChart& chart);

// The exports themselves; path is used for the file destination.
bool ExportMetafile(IExportableChart& chart, const CExportImageFormat& format, CExport::Destination destination,
                    const CString& path);
bool ExportBitmap(IExportableChart& chart, const CExportImageFormat& format, CExport::Destination destination,
                  const CString& path);
bool ExportText(IExportableChart& chart, CExport::Destination destination, const CString& path);

// The size dialog of an image format (3017 millimetres, 3018 pixels).
bool EditExportSize(HWND owner, CExportImageFormat& format);
// The page layout dialog for the four print margins (left, top, right, bottom).
bool EditPageLayout(HWND owner, double margins[4]);
