#pragma once

#include <QStringView>

// How the server's version text stands to the installed one. Texts are
// numbers joined by dots (2.0.0.57); blanks and line breaks around them do not
// count, missing trailing components count as 0, each component compares as a
// number of any length.
enum class VersionOrder {
    SameText,     // the same text
    Newer,        // the server's is higher
    NotNewer,     // a different text, but not higher
    Unreadable,   // either text is no version
};

VersionOrder compareVersions(QStringView server, QStringView installed);

// The version text as it is compared and shown: without surrounding blanks.
QStringView versionText(QStringView text);
