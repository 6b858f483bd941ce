// CHotPopupList: the drop-down list of a selector, a top-level window that
// runs its own loop until an entry is chosen or the list is dismissed.
#pragma once

#include <vector>

#include "viframework/controls/Hotspot.h"

class CVIView;

// Shows the list with its top-left corner at panel point `at` of the view,
// at least minWidth panel units wide; returns the chosen entry's command
// id, or -1 when nothing was chosen.
int32_t ShowPopupList(CVIView& view, const std::vector<IHotspotHost::ListEntry>& entries, CPoint at,
                      int32_t minWidth);
