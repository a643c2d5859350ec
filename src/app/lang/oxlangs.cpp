#include "app/lang/oxlangs.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QWidget>
#include <algorithm>
#include <functional>

#include "document/codepage.h"
#include "document/strutil.h"

namespace {

const TCodePage& TableCodePage() {
  static const TCodePage cp("windows-1252");
  return cp;
}

QString FromTable(const std::string& bytes) {
  return QString::fromStdString(TableCodePage().ToUtf8(bytes));
}

bool IsBlank(unsigned char c) { return c <= ' '; }

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && IsBlank(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && IsBlank(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}

bool IsMenu(QObject* o) { return qobject_cast<QAction*>(o) || qobject_cast<QMenu*>(o); }

// The tab widget that shows this widget as one of its pages, with the page's index.
QTabWidget* TabOf(QObject* o, int& index) {
  auto* page = qobject_cast<QWidget*>(o);
  QObject* stack = page ? page->parent() : nullptr;
  auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parent()) : nullptr;
  index = tabs ? tabs->indexOf(page) : -1;
  return index >= 0 ? tabs : nullptr;
}

// The properties a component of this kind offers a table.
std::vector<std::string> OfferedProperties(QObject* o, bool formOrMenu) {
  if (formOrMenu) return {"caption", "hint"};
  std::vector<std::string> p;
  int tab = -1;
  if (qobject_cast<QLabel*>(o) || qobject_cast<QAbstractButton*>(o) || qobject_cast<QGroupBox*>(o) ||
      qobject_cast<QToolBar*>(o) || TabOf(o, tab))
    p.push_back("caption");
  if (qobject_cast<QLineEdit*>(o)) p.push_back("text");
  if (qobject_cast<QComboBox*>(o) || qobject_cast<QListWidget*>(o)) p.push_back("items");
  if (qobject_cast<QPlainTextEdit*>(o)) p.push_back("lines");
  if (qobject_cast<QTreeWidget*>(o)) p.push_back("columns");
  if (qobject_cast<QTabWidget*>(o)) p.push_back("tabs");
  if (qobject_cast<QWidget*>(o)) p.push_back("hint");
  return p;
}

}  // namespace

// ---------------------------------------------------------------- store

TOxLanguagesStore::TOxLanguagesStore(QObject* owner) : QObject(owner), defines_{DefaultLang} {}

void TOxLanguagesStore::SetLanguagesDefines(const QStringList& list) {
  defines_ = list.isEmpty() ? QStringList{DefaultLang} : list;
}

// ---------------------------------------------------------------- values

std::string DecodeTableValue(const std::string& v) {
  std::string out;
  out.reserve(v.size());
  const char sect = char(0xA7);
  for (size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    if (c == sect && i + 1 < v.size()) {
      const char n = v[++i];
      if (n == '!') out += "\r\n";
      else if (n == sect) out += sect;
      continue;  // any other character after the sign is dropped with it
    }
    if (c == sect) continue;
    if (c == '\'' && i + 1 < v.size() && v[i + 1] == '\'') ++i;
    out += c;
  }
  return out;
}

// ---------------------------------------------------------------- languager

TOxLanguager::TOxLanguager(QObject* ownerForm) : QObject(ownerForm) {}

void TOxLanguager::SetLanguagesStore(TOxLanguagesStore* store) { store_ = store; }

const std::vector<std::string>& TOxLanguager::PropertiesList() {
  if (!built_) Build();
  return keys_;
}

void TOxLanguager::Build() {
  entries_.clear();
  keys_.clear();
  QObject* form = parent();
  if (!form) return;
  Visit(form, true);
  for (QObject* o : form->findChildren<QObject*>())
    if (!qobject_cast<TOxLanguager*>(o) && !o->objectName().isEmpty()) Visit(o, IsMenu(o));
  built_ = true;
}

void TOxLanguager::Visit(QObject* o, bool formOrMenu) {
  const std::string name = o->objectName().toStdString();
  if (name.empty()) return;
  for (const std::string& p : OfferedProperties(o, formOrMenu)) {
    TEntry e{str::Lower(name) + "." + p, o, p};
    keys_.push_back(e.key);
    entries_.push_back(std::move(e));
  }
}

void TOxLanguager::SetLocalizationString(const std::string& table) {
  lines_.clear();
  size_t start = 0;
  // A final line break ends the last line; it does not begin another.
  const size_t stop = !table.empty() && table.back() == '\n' ? table.size() - 1 : table.size();
  while (start <= stop) {
    size_t end = table.find('\n', start);
    if (end == std::string::npos || end > stop) end = stop;
    std::string line = table.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(std::move(line));
    start = end + 1;
  }
  // The components may have changed since the list was last built.
  Build();
  for (const TEntry& e : entries_) {
    try {
      if (e.component) Load(e);
    } catch (...) {
      // One property that cannot be loaded does not stop the others.
    }
  }
}

bool TOxLanguager::Find(const std::string& section, const std::string& ident, std::string& out) const {
  const std::string key = "*" + str::Lower(section) + "*" + str::Lower(ident);
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (!str::EqualsNoCase(lines_[i], key)) continue;
    if (i + 1 >= lines_.size()) return false;
    const std::string& v = lines_[i + 1];
    out = DecodeTableValue(v.empty() ? v : v.substr(1));
    return true;
  }
  return false;
}

std::string TOxLanguager::Lookup(const std::string& section, const std::string& ident,
                                 const std::string& fallback) const {
  std::string v;
  return Find(section, ident, v) ? v : fallback;
}

void TOxLanguager::Load(const TEntry& e) {
  const std::string prefix = e.component->objectName().toStdString() + "_";
  if (e.property == "items" || e.property == "lines" || e.property == "tabs") LoadList(e.component, e.property, prefix);
  else if (e.property == "columns") LoadColumns(e.component, prefix);
  else LoadText(e.component, e.property, prefix);
}

void TOxLanguager::LoadText(QObject* o, const std::string& prop, const std::string& prefix) {
  auto* action = qobject_cast<QAction*>(o);
  auto* widget = qobject_cast<QWidget*>(o);
  if (prop == "hint") {
    std::string v;
    if (!Find("_", prefix + prop, v)) return;
    const QString text = FromTable(Trim(v));
    if (action) { action->setToolTip(text); action->setStatusTip(text); }
    else if (widget) { widget->setToolTip(text); widget->setStatusTip(text); }
    return;
  }
  std::function<void(const QString&)> set;
  int tab = -1;
  if (QTabWidget* tabs = TabOf(o, tab)) { set = [tabs, tab](const QString& t) { tabs->setTabText(tab, t); }; }
  else if (action) { set = [action](const QString& t) { action->setText(t); }; }
  else if (auto* m = qobject_cast<QMenu*>(o)) { set = [m](const QString& t) { m->setTitle(t); }; }
  else if (auto* l = qobject_cast<QLabel*>(o)) {
    // A label breaks its lines at line feeds alone.
    set = [l](const QString& t) { l->setText(QString(t).replace("\r\n", "\n")); };
  }
  else if (auto* b = qobject_cast<QAbstractButton*>(o)) { set = [b](const QString& t) { b->setText(t); }; }
  else if (auto* g = qobject_cast<QGroupBox*>(o)) { set = [g](const QString& t) { g->setTitle(t); }; }
  else if (auto* le = qobject_cast<QLineEdit*>(o)) { set = [le](const QString& t) { le->setText(t); }; }
  else if (widget) { set = [widget](const QString& t) { widget->setWindowTitle(t); }; }
  if (!set) return;
  std::string v;
  if (Find("_", prefix + prop, v)) set(FromTable(Trim(v)));
}

void TOxLanguager::LoadList(QObject* o, const std::string& prop, const std::string& prefix) {
  const std::string section = "_." + prefix + prop;
  const int count = str::ToIntDef(Trim(Lookup(section, "Count", "0")), 0);
  if (count <= 0) return;
  QStringList items;
  for (int i = 0; i < count && i < 10000; ++i) items << FromTable(Lookup(section, "Item" + std::to_string(i), ""));
  if (auto* c = qobject_cast<QComboBox*>(o)) {
    const int current = c->currentIndex();
    c->clear();
    c->addItems(items);
    c->setCurrentIndex(std::min(current, int(items.size()) - 1));
  } else if (auto* l = qobject_cast<QListWidget*>(o)) {
    l->clear();
    l->addItems(items);
  } else if (auto* t = qobject_cast<QPlainTextEdit*>(o)) {
    t->setPlainText(items.join('\n'));
  } else if (auto* tabs = qobject_cast<QTabWidget*>(o)) {
    for (int i = 0; i < tabs->count() && i < int(items.size()); ++i) tabs->setTabText(i, items[i]);
  }
}

void TOxLanguager::LoadColumns(QObject* o, const std::string& prefix) {
  auto* tree = qobject_cast<QTreeWidget*>(o);
  if (!tree || !tree->headerItem()) return;
  const std::string section = "_." + prefix + "columns";
  for (int n = 0; n < tree->columnCount(); ++n) {
    const std::string item = "Item" + std::to_string(n) + "_";
    std::string caption;
    if (Find(section, item + "caption", caption)) tree->headerItem()->setText(n, FromTable(Trim(caption)));
    const std::string width = Trim(Lookup(section, item + "width", ""));
    const int w = str::ToIntDef(width, -1);
    if (w >= 0 && w < 100000) tree->setColumnWidth(n, w);
  }
}

namespace {

QString TextOf(QObject* o, const std::string& prop) {
  auto* action = qobject_cast<QAction*>(o);
  auto* widget = qobject_cast<QWidget*>(o);
  if (prop == "hint") return action ? action->toolTip() : widget ? widget->toolTip() : QString();
  if (prop == "items") {
    QStringList items;
    if (auto* c = qobject_cast<QComboBox*>(o))
      for (int i = 0; i < c->count(); ++i) items << c->itemText(i);
    if (auto* l = qobject_cast<QListWidget*>(o))
      for (int i = 0; i < l->count(); ++i) items << l->item(i)->text();
    return items.join('\n');
  }
  if (prop == "lines") {
    auto* t = qobject_cast<QPlainTextEdit*>(o);
    return t ? t->toPlainText() : QString();
  }
  if (prop == "tabs") {
    QStringList tabs;
    if (auto* t = qobject_cast<QTabWidget*>(o))
      for (int i = 0; i < t->count(); ++i) tabs << t->tabText(i);
    return tabs.join('\n');
  }
  if (prop == "columns") {
    QStringList cols;
    if (auto* t = qobject_cast<QTreeWidget*>(o); t && t->headerItem())
      for (int i = 0; i < t->columnCount(); ++i) cols << t->headerItem()->text(i);
    return cols.join('\n');
  }
  int tab = -1;
  if (QTabWidget* tabs = TabOf(o, tab)) return tabs->tabText(tab);
  if (action) return action->text();
  if (auto* m = qobject_cast<QMenu*>(o)) return m->title();
  if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
  if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
  if (auto* le = qobject_cast<QLineEdit*>(o)) return le->text();
  return widget ? widget->windowTitle() : QString();
}

}  // namespace

std::vector<std::pair<std::string, QString>> TOxLanguager::CurrentTexts() {
  Build();
  std::vector<std::pair<std::string, QString>> out;
  for (const TEntry& e : entries_)
    if (e.component) out.emplace_back(e.key, TextOf(e.component, e.property));
  return out;
}
