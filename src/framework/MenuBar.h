#pragma once

// The menu bar model: one set of menus and items shared by every window that
// shows a menu bar, so a check mark or a caption set once shows everywhere.
// Items are found by name; what choosing one does is bound to its name by
// the application object.

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace fw {

class MenuBar;

class MenuItem : public QObject {
    Q_OBJECT
public:
    // A caption of "-" makes a separator; "&" marks the mnemonic letter.
    MenuItem(const QString& name, const QString& text);
    ~MenuItem() override;

    QString name() const { return objectName(); }
    QString text() const { return m_text; }
    void setText(const QString& text);
    // "Cmd+" and a letter ("Cmd+Q": the command key, Ctrl on this platform);
    // "" for none.
    QString keyboardShortcut() const { return m_shortcut; }
    void setKeyboardShortcut(const QString& shortcut);
    // Sets the shortcut to the command key with this letter.
    void setCommandKey(const QString& letter);
    bool checked() const { return m_checked; }
    void setChecked(bool checked);
    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    bool autoEnable() const { return m_autoEnable; }
    void setAutoEnable(bool autoEnable) { m_autoEnable = autoEnable; }
    bool isSeparator() const { return m_text == QLatin1String("-"); }

    // Appends an item at the end of this menu; returns it.
    MenuItem* append(std::unique_ptr<MenuItem> item);
    int count() const { return static_cast<int>(m_items.size()); }
    MenuItem* item(int i) const { return m_items.at(i).get(); }
    // A direct child by name.
    MenuItem* child(const QString& name) const;
    // An item by name anywhere below this one.
    MenuItem* findItem(const QString& name) const;

    // The toolkit's view: the action of an item, the popup of a menu.
    QAction* action() const { return m_action; }
    QMenu* menu() const { return m_menu.get(); }

private:
    friend class MenuBar;
    void makeMenu();
    MenuBar* bar() const;

    QString m_text;
    QString m_shortcut;
    bool m_checked = false;
    bool m_visible = true;
    bool m_autoEnable = true;
    std::unique_ptr<QMenu> m_menu;
    QAction* m_action;
    MenuItem* m_parentItem = nullptr;
    std::vector<std::unique_ptr<MenuItem>> m_items;
};

class MenuBar : public MenuItem {
    Q_OBJECT
public:
    explicit MenuBar(const QString& name);
    // A menu bar widget for a window, showing this bar's menus.
    QMenuBar* createWidget(QWidget* parent) const;

signals:
    // The user chose an item (or pressed its shortcut).
    void itemChosen(const QString& name);
    // A menu is about to be shown: bring the items up to date.
    void aboutToShowMenu();

private:
    friend class MenuItem;
};

} // namespace fw
