// Web addresses open in the user's browser through the desktop services.
#include "platform/Weburl.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

void Open_web_address(const char* url)
{
    if (url == nullptr || *url == '\0')
        return;
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(url)));
}
