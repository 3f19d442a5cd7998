#pragma once
// Dates as the lists and labels show them: the interface language's short date (the default
// locale, SetUpInterfaceLanguage), then a 24-hour time with
// seconds ("2020/01/04 10:30:12") unless the time is exactly midnight.
#include <QLocale>
#include <QString>

namespace qm {

// Made once per list fill: asking the system for its formats for every row is slow.
class TDateFormat {
public:
    TDateFormat();
    // A day count (days since 1899-12-30, the time of day as fraction) as text.
    QString Text(double dayCount) const;

private:
    QLocale FLocale;
    QString FDateFormat;
    QString FTimeFormat;
};

// One date as text, for a single label.
QString DateText(double dayCount);

} // namespace qm
