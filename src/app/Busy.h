#pragma once
// The brackets of a list-wide change: the hourglass for its length, and one update bracket of
// the file list so the views redraw once at its end.
#include "app/FileListModel.h"
#include "widgets/Controls.h" // TWaitCursor

namespace qm {

class TUpdateBracket {
public:
    explicit TUpdateBracket(TFileListModel& model) : FModel(model) { FModel.BeginUpdate(); }
    ~TUpdateBracket() { FModel.EndUpdate(); }
    TUpdateBracket(const TUpdateBracket&) = delete;
    TUpdateBracket& operator=(const TUpdateBracket&) = delete;

private:
    TFileListModel& FModel;
};

} // namespace qm
