#include "framework/MenuBar.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace fw {

MenuItem::MenuItem(const QString& name, const QString& text)
    : m_text(text)
    , m_action(new QAction(text == QLatin1String("-") ? QString() : text, this))
{
    setObjectName(name);
    m_action->setSeparator(isSeparator());
    connect(m_action, &QAction::triggered, this, [this] {
        // The toolkit flips a checkable action by itself; the check mark
        // changes only when the program sets it.
        m_action->setChecked(m_checked);
        if (MenuBar* b = bar())
            emit b->itemChosen(objectName());
    });
}

MenuItem::~MenuItem() = default;

MenuBar* MenuItem::bar() const
{
    const MenuItem* item = this;
    while (item->m_parentItem)
        item = item->m_parentItem;
    return qobject_cast<MenuBar*>(const_cast<MenuItem*>(item));
}

void MenuItem::makeMenu()
{
    if (m_menu)
        return;
    m_menu = std::make_unique<QMenu>(m_text);
    // The menu's own action stands for it in a bar or a parent menu.
    delete m_action;
    m_action = m_menu->menuAction();
    m_menu->menuAction()->setVisible(m_visible);
    connect(m_menu.get(), &QMenu::aboutToShow, this, [this] {
        if (MenuBar* b = bar())
            emit b->aboutToShowMenu();
    });
}

void MenuItem::setText(const QString& text)
{
    m_text = text;
    m_action->setText(text);
    if (m_menu)
        m_menu->setTitle(text);
}

void MenuItem::setKeyboardShortcut(const QString& shortcut)
{
    m_shortcut = shortcut;
    QString keys = shortcut;
    keys.replace(QLatin1String("Cmd+"), QLatin1String("Ctrl+"), Qt::CaseInsensitive);
    m_action->setShortcut(QKeySequence(keys));
}

void MenuItem::setCommandKey(const QString& letter)
{
    setKeyboardShortcut(letter.isEmpty() ? QString() : QStringLiteral("Cmd+") + letter.toUpper());
}

void MenuItem::setChecked(bool checked)
{
    m_checked = checked;
    m_action->setCheckable(checked);
    m_action->setChecked(checked);
}

void MenuItem::setVisible(bool visible)
{
    m_visible = visible;
    m_action->setVisible(visible);
}

MenuItem* MenuItem::append(std::unique_ptr<MenuItem> item)
{
    item->m_parentItem = this;
    item->setParent(this);
    MenuItem* raw = item.get();
    if (qobject_cast<MenuBar*>(this)) {
        // The bar's children are its menus; each window's bar widget shows them.
        raw->makeMenu();
    } else {
        makeMenu();
        m_menu->addAction(raw->m_action);
    }
    m_items.push_back(std::move(item));
    return raw;
}

MenuItem* MenuItem::child(const QString& name) const
{
    for (const auto& item : m_items) {
        if (item->name() == name)
            return item.get();
    }
    return nullptr;
}

MenuItem* MenuItem::findItem(const QString& name) const
{
    for (const auto& item : m_items) {
        if (item->name() == name)
            return item.get();
        if (MenuItem* found = item->findItem(name))
            return found;
    }
    return nullptr;
}

MenuBar::MenuBar(const QString& name)
    : MenuItem(name, QString())
{
}

QMenuBar* MenuBar::createWidget(QWidget* parent) const
{
    auto* widget = new QMenuBar(parent);
    widget->setNativeMenuBar(false);
    for (int i = 0; i < count(); ++i)
        widget->addMenu(item(i)->menu());
    return widget;
}

} // namespace fw
