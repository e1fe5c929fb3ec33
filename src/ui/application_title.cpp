#include "ui/application_title.h"

QString ApplicationTitleFor(const QString& productName)
{
    constexpr qsizetype kLongest = 40;
    QString title = productName;
    if (!title.contains(u' ')) return title;
    do {
        const qsizetype blank = title.lastIndexOf(u' ');
        if (blank < 0) return title.left(kLongest);
        title.truncate(blank);
    } while (title.size() > kLongest);
    return title;
}
