// Relative date phrases, the way the status line tells the last check.
#include "platform/RelativeDate.h"

#include <gtest/gtest.h>

using platform::relativeDatePhrase;

TEST(RelativeDate, LargestDifferingUnitSpeltOutWithNamesForOneStep) {
    // Mid-June, noon: no daylight-saving change within the spans below that
    // would make the phrase depend on the machine's time zone.
    const QDateTime ref(QDate(2023, 6, 15), QTime(12, 0));
    struct Case {
        QDateTime date;
        const char* phrase;
    };
    const Case cases[] = {
        {ref, "now"},
        {ref.addMSecs(-400), "now"},
        {ref.addSecs(-1), "1 second ago"},
        {ref.addSecs(-59), "59 seconds ago"},
        {ref.addSecs(-60), "1 minute ago"},
        {ref.addSecs(-5 * 60 - 20), "5 minutes ago"},
        {ref.addSecs(-90 * 60), "1 hour ago"},
        {ref.addSecs(-23 * 3600), "23 hours ago"},
        {ref.addSecs(-36 * 3600), "yesterday"},
        {ref.addDays(-3), "3 days ago"},
        {ref.addDays(-8), "last week"},
        {ref.addDays(-20), "2 weeks ago"},
        {ref.addMonths(-1), "last month"},
        {ref.addMonths(-3).addDays(-2), "3 months ago"},
        {ref.addYears(-1), "last year"},
        {ref.addYears(-12), "12 years ago"},
        {ref.addSecs(2 * 3600), "in 2 hours"},
        {ref.addSecs(30), "in 30 seconds"},
        {ref.addDays(1), "tomorrow"},
        {ref.addDays(14), "in 2 weeks"},
        {ref.addYears(1), "next year"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(relativeDatePhrase(c.date, ref).toStdString(), c.phrase) << c.date.toString().toStdString();
}

TEST(RelativeDate, CalendarUnitsCountWholeSteps) {
    // 23:00 to 01:00 crosses midnight but is two hours, not a day.
    EXPECT_EQ(
        relativeDatePhrase(QDateTime(QDate(2023, 6, 14), QTime(23, 0)), QDateTime(QDate(2023, 6, 15), QTime(1, 0))),
        "2 hours ago");
    // The 10th to the 9th of the next month is not yet a month.
    EXPECT_EQ(
        relativeDatePhrase(QDateTime(QDate(2023, 5, 10), QTime(12, 0)), QDateTime(QDate(2023, 6, 9), QTime(12, 0))),
        "4 weeks ago");
    // The same instant in another zone is still "now".
    const QDateTime utc(QDate(2023, 6, 15), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(relativeDatePhrase(utc.toOffsetFromUtc(5 * 3600), utc), "now");
    EXPECT_EQ(relativeDatePhrase(QDateTime(), utc), "");
    // Years far apart are still counted, not looped over.
    EXPECT_EQ(relativeDatePhrase(QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC), utc), "2022 years ago");
}
