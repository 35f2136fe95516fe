#include "app/KTApplication.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class ThrowingObject : public QObject
{
public:
    int m_seen = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            ++m_seen;
            throw std::runtime_error("handler fault");
        }
        return QObject::event(e);
    }
};

} // namespace

TEST(KTApplication, AnExceptionFromAHandlerStopsAtTheEventLoop)
{
    ASSERT_NE(dynamic_cast<KTApplication*>(QCoreApplication::instance()), nullptr);
    ThrowingObject object;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));
    // The application goes on delivering events afterwards.
    QEvent again(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &again));
    EXPECT_EQ(object.m_seen, 2);
}
