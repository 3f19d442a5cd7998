#include "widgets/DateText.h"

#include "model/FileUtils.h"

#include <QDate>
#include <QTime>

namespace qm {

TDateFormat::TDateFormat()
    : FLocale(QLocale()), FDateFormat(FLocale.dateFormat(QLocale::ShortFormat)),
      FTimeFormat(QStringLiteral("HH:mm:ss")) {}

QString TDateFormat::Text(double dayCount) const {
    const DateTime dt = DayCountToDateTime(dayCount);
    const QTime time(dt.hour, dt.minute, dt.second, dt.millisecond);
    QString text = FLocale.toString(QDate(dt.year, dt.month, dt.day), FDateFormat);
    if (time != QTime(0, 0))
        text += QLatin1Char(' ') + FLocale.toString(time, FTimeFormat);
    return text;
}

QString DateText(double dayCount) {
    return TDateFormat().Text(dayCount);
}

} // namespace qm
