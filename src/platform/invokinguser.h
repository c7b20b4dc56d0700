#pragma once
// The user the program works for. Run as root for someone else (sudo, pkexec),
// the program still touches files only as that user could: every look at, read,
// write and removal of the settings file and its folders happens inside an
// AsInvokingUser, which gives the calling thread that user's file-system
// identity (user, group and groups) for its lifetime. Links and folders that
// user controls are then followed with that user's rights, never with root's.

#include <QString>

namespace honura {

class AsInvokingUser {
  public:
    AsInvokingUser();
    ~AsInvokingUser();
    AsInvokingUser(const AsInvokingUser&) = delete;
    AsInvokingUser& operator=(const AsInvokingUser&) = delete;

    // False when the identity could not be taken: nothing may be touched then.
    bool ok() const { return ok_; }

  private:
    bool ok_ = true;
};

// The user the program works for: the one it runs for, else its own real user.
unsigned invokingUid();

// The user's configuration folder for the program. Run for another user, that
// user's own: inside their home (from the user database) even where the
// environment names root's.
QString userConfigDir();

// Who runs the program on whose behalf, as the environment and the process's
// ids tell it (pure, for tests): the real and effective ids, and the values of
// SUDO_UID, SUDO_GID and PKEXEC_UID. Root's own runs and unprivileged ones act
// as themselves.
struct Identity {
    unsigned uid = 0;
    bool other = false; // root acting for the user uid
    long long gid = -1; // the group sudo names, -1 when unknown
};
Identity identityFrom(unsigned realUid, unsigned effectiveUid, const QString& sudoUid,
                      const QString& sudoGid, const QString& pkexecUid);

} // namespace honura
