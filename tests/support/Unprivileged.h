#pragma once
// Runs a scope with the effective user of an ordinary account ("nobody") when the test runs as
// the super-user, so that file permissions apply to what the scope does.
#include <QTest>
#include <pwd.h>
#include <unistd.h>

namespace kvor::testing {

inline uid_t unprivilegedUid() {
    const passwd* nobody = getpwnam("nobody");
    return nobody ? nobody->pw_uid : 65534;
}

class UnprivilegedScope {
public:
    UnprivilegedScope() {
        if (geteuid() != 0) return;
        m_active = seteuid(unprivilegedUid()) == 0;
        QVERIFY(m_active);
    }
    ~UnprivilegedScope() {
        if (m_active && seteuid(0) != 0) qFatal("cannot return to the super-user");
    }
    UnprivilegedScope(const UnprivilegedScope&) = delete;
    UnprivilegedScope& operator=(const UnprivilegedScope&) = delete;

private:
    bool m_active = false;
};

} // namespace kvor::testing
