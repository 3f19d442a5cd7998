#pragma once
// A modal error message with a heading and a text and an OK button: the heading stands out as
// the main instruction, the text explains it. Goes through the test hooks like every message.
#include <QString>

class QWidget;

namespace qm {

void ShowTaskMessage(QWidget* parent, const QString& heading, const QString& text);

} // namespace qm
