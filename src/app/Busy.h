#pragma once
// The brackets of a list-wide change: the hourglass for its length, and one update bracket of
// the file list so the views redraw once at its end.
#include "app/FileListModel.h"

#include <QApplication>

namespace qm {

class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

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
