#pragma once

#include <QString>

class UrlOpener;

// Help page of the tab page at `pageIndex`; empty for no page.
QString helpTopicForPage(int pageIndex);

// The page of the help folder `helpFolder` (a folder name in the program
// folder, setting "Hilfedatei") for `topic`, or its start page "index.htm"
// when the topic is empty or has no page. A shipped help folder that lost
// pages gets them back first. Empty when there is no such page.
QString helpPagePath(const QString& helpFolder, const QString& topic);

// Opens that page; false, and nothing opened, when there is none.
bool OpenHelp(const QString& helpFolder, const QString& topic, UrlOpener& opener);
