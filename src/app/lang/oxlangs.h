// Language tables: each form names its components' texts in a table built
// into the program, and its languager writes them into the Qt properties
// when the form is created.
//
// A table is text in lines, in pairs: a key line and a value line (a space,
// then the value). Keys are lower case:
//   "*_*" component "_" property                      a text ("caption", "hint", "text")
//   "*_." component "_" property "*count"              number of lines of a list
//   "*_." component "_" property "*item" n             line n of a list
//   "*_." component "_" property "*item" n "_" field   a field of item n of a collection
// In values "§!" is a line break, "§§" a "§", "''" a "'", and "§" before
// anything else is dropped. Tables are in windows-1252.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <string>
#include <utility>
#include <vector>

class TOxLanguagesStore : public QObject {
  Q_OBJECT
public:
  explicit TOxLanguagesStore(QObject* owner = nullptr);
  QString DefaultLang = "eng";
  const QStringList& LanguagesDefines() const { return defines_; }
  // Never left empty: an empty list keeps DefaultLang.
  void SetLanguagesDefines(const QStringList& list);

private:
  QStringList defines_;
};

class TOxLanguager : public QObject {
  Q_OBJECT
public:
  // The languager belongs to the form it translates.
  explicit TOxLanguager(QObject* ownerForm);

  void SetLanguagesStore(TOxLanguagesStore* store);
  TOxLanguagesStore* LanguagesStore() const { return store_; }
  // Applies a table to the owner form.
  void SetLocalizationString(const std::string& table);
  // The keys a table for this form may hold: component "." property, lower case.
  const std::vector<std::string>& PropertiesList();

  // Each key of the property list with the text the form shows now (list
  // lines joined by line breaks): how tables are prepared and checked.
  std::vector<std::pair<std::string, QString>> CurrentTexts();

  // The looked-up value of a key, decoded; `fallback` when the key is absent
  // or on the last line. Exposed for the message tables.
  std::string Lookup(const std::string& section, const std::string& ident, const std::string& fallback) const;

private:
  struct TEntry {
    std::string key;
    QPointer<QObject> component;
    std::string property;
  };
  bool Find(const std::string& section, const std::string& ident, std::string& out) const;
  void Build();
  void Visit(QObject* o, bool formOrMenu);
  void Load(const TEntry& e);
  void LoadText(QObject* o, const std::string& prop, const std::string& prefix);
  void LoadList(QObject* o, const std::string& prop, const std::string& prefix);
  void LoadColumns(QObject* o, const std::string& prefix);

  QPointer<TOxLanguagesStore> store_;
  std::vector<TEntry> entries_;
  std::vector<std::string> keys_;
  std::vector<std::string> lines_;
  bool built_ = false;
};

// The decoded form of a table value.
std::string DecodeTableValue(const std::string& value);

// ---------------------------------------------------------------- built-in tables

// The language the reader speaks: "eng" when LC_ALL, LC_MESSAGES or LANG (the
// first one set) names an English locale, "ita" otherwise.
std::string ReaderLanguage();
// For the tests: forces a language ("" follows the environment again).
void SetReaderLanguage(const std::string& code);

// The built-in table of a form (by its object name, any case) in the reader's
// language, in windows-1252; empty when the form has none.
std::string BuiltInTable(const std::string& form);
std::string BuiltInTable(const std::string& form, const std::string& language);
// Every form that has tables.
std::vector<std::string> TableForms();

// The reader's messages in its language: a message that begins with one of the
// Italian texts of the message table gets the translated beginning.
std::string TranslateMessage(const std::string& utf8Text);
// A window text (a caption set by code) in the reader's language.
QString Tr(const char* italianUtf8);
