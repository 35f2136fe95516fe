#pragma once
// Controls made with the object name tests and style sheets find them by; buttons never become
// the default button by focus, as the dialogs' own OK decides that.

#include <QCheckBox>
#include <QLabel>
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

/// The lines where a dialog says why what was typed cannot be used; empty (and taking no room
/// beyond two lines) while there is nothing to say. Its text is plain, never rich text.
inline QLabel* KTNamedMessageLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("color: #b00000;"));
    // Room for two lines: the longer messages wrap, and a label laid out for one would cut them.
    label->setMinimumHeight(label->fontMetrics().lineSpacing() * 2);
    return label;
}
