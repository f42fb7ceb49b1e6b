// The about panel's texts.
#include "panels/AboutText.h"

#include "platform/Bundle.h"

#include <QStringList>

namespace AboutText {

namespace {

const QString kMaker = QStringLiteral("The Overink developers");

QString rule() { return QString(kRuleLength, QChar(0x2550)); }

// A section: two empty lines, the heading, a rule, the body.
QString section(const QString& heading, const QStringList& body) {
    return QStringLiteral("\n\n\n") + heading + '\n' + rule() + '\n' + body.join('\n');
}

} // namespace

QString appVersion(const platform::Bundle& bundle) {
    return bundle.infoString(QStringLiteral("CFBundleShortVersionString")).value_or(QStringLiteral("1.0"));
}

QString buildNumber(const platform::Bundle& bundle) {
    return bundle.infoString(QStringLiteral("CFBundleVersion")).value_or(QStringLiteral("1"));
}

QString yearText(int year) {
    if (year > kFirstYear) return QString::number(kFirstYear) + QChar(0x2013) + QString::number(year);
    return QString::number(kFirstYear);
}

QString notice(int year) { return QStringLiteral("\u00A9 ") + yearText(year) + ' ' + kMaker; }

QString aboutText(const QString& appVersion, const QString& buildNumber) {
    // Broken by hand to the monospaced column; bullets start with two spaces
    // and the mark, and continue under their text.
    QString text = QStringLiteral("ABOUT OVERINK\n") + rule() + '\n' +
                   QStringList{
                       QStringLiteral("Overink is a screen annotation tool for Linux"),
                       QStringLiteral("desktops. From the system tray it draws freehand"),
                       QStringLiteral("strokes, shapes, arrows and text over anything on"),
                       QStringLiteral("screen, for teaching, demos, reviews and support,"),
                       QStringLiteral("and saves the result as an annotated screenshot."),
                       QString(),
                       QStringLiteral("Developer: ") + kMaker,
                       QStringLiteral("Support:   the Overink project's issue tracker"),
                       QStringLiteral("Version:   "),
                   }
                       .join('\n');
    text += appVersion;
    text += QStringLiteral(", Build ");
    text += buildNumber;

    text += section(QStringLiteral("PRIVACY & DATA COLLECTION"),
                    {
                        QStringLiteral("Overink collects no analytics and contains no"),
                        QStringLiteral("tracking or crash-reporting components. Your"),
                        QStringLiteral("drawings stay in memory only, until you choose to"),
                        QStringLiteral("save a screenshot. Its only network contact is"),
                        QStringLiteral("looking for a new version, when you ask it to or"),
                        QStringLiteral("turn on automatic checks; that sends nothing about"),
                        QStringLiteral("what you draw or capture."),
                    });
    text += section(QStringLiteral("SYSTEM PERMISSIONS"),
                    {
                        QStringLiteral("On X11 Overink needs no special permission. In a"),
                        QStringLiteral("Wayland session it runs through XWayland, and the"),
                        QStringLiteral("desktop decides whether it may read the screen;"),
                        QStringLiteral("a refusal is explained when you take a capture."),
                        QStringLiteral("Overink reads the screen or the window list only"),
                        QStringLiteral("for two things:"),
                        QStringLiteral("  \u2022 Saving an annotated screenshot, which combines"),
                        QStringLiteral("    what is on screen with your drawings."),
                        QStringLiteral("  \u2022 Pinning the toolbar to another application's"),
                        QStringLiteral("    window, which follows that window's position"),
                        QStringLiteral("    and size."),
                        QStringLiteral("Screen contents are combined on this computer,"),
                        QStringLiteral("only when you ask for a capture, are never kept"),
                        QStringLiteral("or sent anywhere, and reach your files only"),
                        QStringLiteral("through the dialogs you operate: saving a"),
                        QStringLiteral("screenshot where you choose, importing a brush"),
                        QStringLiteral("you pick."),
                    });
    text += section(QStringLiteral("LAUNCH AT LOGIN"),
                    {
                        QStringLiteral("Starting Overink when you log in is optional and"),
                        QStringLiteral("off by default; the \"Launch on startup\" checkbox"),
                        QStringLiteral("in the settings turns it on and off. It is an XDG"),
                        QStringLiteral("autostart entry, overink.desktop in the autostart"),
                        QStringLiteral("folder of your configuration (~/.config/autostart"),
                        QStringLiteral("by default), which your desktop's settings for"),
                        QStringLiteral("startup applications list and let you manage."),
                    });
    text += section(QStringLiteral("LIMITATION OF LIABILITY"),
                    {
                        QStringLiteral("OVERINK IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF"),
                        QStringLiteral("ANY KIND, EXPRESS OR IMPLIED. IN NO EVENT SHALL"),
                        QStringLiteral("ITS DEVELOPERS BE LIABLE FOR ANY INDIRECT,"),
                        QStringLiteral("INCIDENTAL, SPECIAL OR CONSEQUENTIAL DAMAGES"),
                        QStringLiteral("ARISING FROM ITS USE."),
                        QStringLiteral("You are responsible for what you capture: a"),
                        QStringLiteral("capture records whatever is on screen at that"),
                        QStringLiteral("moment, including confidential or personal"),
                        QStringLiteral("information."),
                    });
    text += section(QStringLiteral("INTELLECTUAL PROPERTY"),
                    {
                        QStringLiteral("Overink, its name and its icon are the property"),
                        QStringLiteral("of the Overink developers. All rights not"),
                        QStringLiteral("expressly granted are reserved."),
                    });
    text += section(QStringLiteral("THIRD-PARTY ACKNOWLEDGMENTS"),
                    {
                        QStringLiteral("Overink is built with Qt 6 (Qt Widgets, Qt SVG"),
                        QStringLiteral("and Qt Network, under the LGPL 3) and talks to"),
                        QStringLiteral("the X server through the XCB libraries and"),
                        QStringLiteral("xkbcommon (MIT/X11 licences)."),
                        QString(),
                        QStringLiteral("The parametric brushes (*.vbr) installed with"),
                        QStringLiteral("Overink are released under the CC0 1.0 Universal"),
                        QStringLiteral("Public Domain Dedication, which permits"),
                        QStringLiteral("commercial use and requires no attribution; this"),
                        QStringLiteral("notice is kept for provenance."),
                        QString(),
                        QStringLiteral("GIMP is a trademark of its owners. Overink reads"),
                        QStringLiteral("GIMP's brush files and is not affiliated with"),
                        QStringLiteral("the GIMP project."),
                    });
    text += '\n';
    return text;
}

} // namespace AboutText
