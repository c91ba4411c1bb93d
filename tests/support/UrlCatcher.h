#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

/// Catches what the desktop would be asked to open: install it with
/// QDesktopServices::setUrlHandler(scheme, &catcher, "open").
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};
