#pragma once
// Controls made with the object name tests and style sheets find them by; buttons never become
// the default button by focus, as the dialogs' own OK decides that.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

inline QLineEdit* KTNamedEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

inline QPushButton* KTNamedButton(QWidget* parent, const char* text, const char* name)
{
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

inline QCheckBox* KTNamedCheck(QWidget* parent, const char* text, const char* name)
{
    auto* check = new QCheckBox(QString::fromLatin1(text), parent);
    check->setObjectName(QString::fromLatin1(name));
    return check;
}
