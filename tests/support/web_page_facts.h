// Reading generated web pages back in tests: what a browser-grade parser
// (html5lib) finds in a page, the local file a link of a page names, and
// tidy's error lines.
#pragma once

#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <string>
#include <vector>

namespace lumvor::test {

// A path quoted for the shell.
inline std::string Quoted(const std::string& Path) {
    std::string out = "'";
    for (char c : Path) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// What html5lib reads in a page.
struct TPageFacts {
    std::string Title, Text;
    std::vector<std::string> Images, Alts, Links, Actions;
    std::vector<std::vector<std::string>> Rows;
};

inline std::vector<std::string> JsonStrings(const QJsonValue& Value) {
    std::vector<std::string> out;
    for (const QJsonValue& v : Value.toArray()) out.push_back(v.toString().toStdString());
    return out;
}

inline TPageFacts ParsePage(const std::string& Page) {
    const std::string script = LUMVOR_FIXTURES "/webpages/page_facts.py";
    const std::string json = CommandOutput("/usr/bin/python3 " + Quoted(script) + " " + Quoted(Page));
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
    EXPECT_FALSE(o.isEmpty()) << "html5lib could not read " << Page;
    TPageFacts facts;
    facts.Title = o["title"].toString().toStdString();
    facts.Text = o["text"].toString().toStdString();
    facts.Images = JsonStrings(o["img"]);
    facts.Alts = JsonStrings(o["alt"]);
    facts.Links = JsonStrings(o["href"]);
    facts.Actions = JsonStrings(o["action"]);
    for (const QJsonValue& row : o["rows"].toArray()) facts.Rows.push_back(JsonStrings(row));
    return facts;
}

// The local file a link of a page names: a file URL's path, or a relative
// reference resolved against the page's folder.
inline std::string LinkedFile(const std::string& Page, const std::string& Link) {
    const QUrl base = QUrl::fromLocalFile(QString::fromStdString(Page));
    const QUrl url = base.resolved(QUrl(QString::fromStdString(Link), QUrl::StrictMode));
    return url.isLocalFile() ? url.toLocalFile().toStdString() : std::string();
}

// tidy's error lines (warnings left out).
inline std::vector<std::string> TidyErrors(const std::string& Page) {
    std::vector<std::string> errors;
    for (const std::string& line : CommandLines("tidy -errors -q " + Quoted(Page) + " 2>&1"))
        if (line.find("Error:") != std::string::npos) errors.push_back(line);
    return errors;
}

}  // namespace lumvor::test
