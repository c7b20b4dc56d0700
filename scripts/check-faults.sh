#!/usr/bin/env bash
# check-faults.sh [<build-dir>] [<kills>]
#
# The settings save under faults, through the board's own load and save code
# (tests/settings/fault_save, on Qt's offscreen platform):
#
# 1. Kills: a process saves the settings over and over, two sets in turn, and
#    is killed (SIGKILL) at a random moment, <kills> times (default 120). After
#    every kill the file must hold one set entirely, and after the next start
#    no file but the settings file may be left in the folder. A control run of
#    a quarter as many kills against eight writes a save (one per key) shows
#    how often a kill lands between two of them: its mixed files are counted,
#    not failed.
# 2. Bad places, each between the board's start and its shut-down: the folder
#    becomes unwritable (a read-only remount, or without root a folder without
#    write permission), the disk fills up (a small tmpfs), the settings file is
#    replaced by a folder. The old file (or folder) must stay as it was, no
#    temporary file may be left, and the board must end normally. The tmpfs
#    cases need root and mount; without them they are skipped, loudly.
# 3. A start that cleans up while another run saves: saves go on in a loop
#    while two processes remove stale temporary files as starting boards do;
#    no save may fail.
# 4. Run as root for a user (SUDO_UID, PKEXEC_UID), with a second user made by
#    setpriv: that user plants a link to a file of root's and a link for the
#    settings folder; the save and the clean-up must leave root's files and
#    folders exactly as they were, a file they make must be the user's, and a
#    user's own link must still be followed. Needs root; skipped loudly without.
# 5. The real program on private X servers (tests/e2e/hostile.py): a huge and
#    a tiny size in the file, a screen too small for the board, SIGTERM, SIGINT
#    and SIGHUP, its window destroyed by another client, the X server going
#    away, and (as root) its single-instance name taken by another user.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
kills=${2:-120}
helper=$build/tests/settings/fault_save
cmake --build "$build" --target fault_save honura >/dev/null
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
work=$(mktemp -d /tmp/honura-faults.XXXXXX)
chmod 755 "$work" # a second user walks into it
mnt=$work/mnt
mounted=false
cleanup() {
    $mounted && umount "$mnt" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { # also from subshells: each failure is a line in $work/failures
    echo "check-faults: FAIL: $*" >&2
    echo "$*" >>"$work/failures"
}

# kill_during_saves <dir> <kills> [--per-key]: prints how many files were
# mixed and how many kills left a temporary file.
kill_during_saves() {
    local dir=$1 n=$2 mode=${3:-} mixed=0 cut=0 i state left
    for ((i = 0; i < n; i++)); do
        rm -rf "$dir" && mkdir -p "$dir"
        coproc SAVER { exec "$helper" save "$dir" $mode; }
        local pid=$SAVER_PID
        read -r -u "${SAVER[0]}" _ # the first save is done
        sleep "$(printf '0.%03d' $((RANDOM % 40)))"
        kill -KILL "$pid"
        wait "$pid" 2>/dev/null || true
        state=$("$helper" check "$dir")
        case $state in
        A | B) ;;
        mixed) mixed=$((mixed + 1)) ;;
        *) [[ $mode ]] || fail "kill $i: the settings file is $state" ;;
        esac
        [[ $(ls "$dir") == honura.ini ]] || cut=$((cut + 1))
        left=$("$helper" start "$dir" 2>/dev/null)
        [[ -z $left ]] || fail "kill $i: left after the next start: $left"
    done
    echo "$mixed $cut"
}

read -r mixed cut < <(kill_during_saves "$work/kills" "$kills")
[[ $mixed -eq 0 ]] || fail "$mixed of $kills kills left a mixed settings file"
echo "check-faults: $kills kills during saves ($cut inside a write, leaving its temporary file):" \
    "every file old or new, nothing left after the next start"
control=$((kills / 4))
read -r mixed cut < <(kill_during_saves "$work/control" "$control" --per-key)
echo "check-faults: control, eight writes a save: $mixed of $control kills left a mixed file"

# What a folder holds: names, sizes, times and contents.
listing() {
    (cd "$1" && find . -mindepth 1 -printf '%p %s %T@\n' -exec sh -c 'test -f "$1" && cat "$1"' _ {} \; | sha256sum)
}

# session <dir> <name> <fault command>: start, the fault, shut-down; checks what is left.
session() {
    local dir=$1 name=$2 fault=$3 before after status
    coproc BOARD { exec "$helper" session "$dir" 2>/dev/null; }
    local pid=$BOARD_PID
    read -r -u "${BOARD[0]}" _ # started
    eval "$fault"
    before=$(listing "$dir")
    echo >&"${BOARD[1]}"
    status=0
    wait "$pid" || status=$?
    after=$(listing "$dir")
    [[ $status -eq 0 ]] || fail "$name: the board ended with $status"
    [[ $before == "$after" ]] || fail "$name: the folder changed: $(ls -la "$dir")"
    echo "check-faults: $name: old file intact, nothing left, normal end"
}

old='[FONT]\r\nNAME=Old\r\nSIZE=12.5\r\n[Mine]\r\nNOTE=keep\r\n'

# A save that can go through changes the file: the checks below can fail.
mkdir -p "$work/plain"
printf "$old" >"$work/plain/honura.ini"
coproc BOARD { exec "$helper" session "$work/plain" 2>/dev/null; }
read -r -u "${BOARD[0]}" _
echo >&"${BOARD[1]}"
wait "$BOARD_PID"
grep -q 'SIZE=12' "$work/plain/honura.ini" && ! grep -q 'SIZE=12.5' "$work/plain/honura.ini" ||
    fail "a plain shut-down did not save"

mkdir -p "$work/dir"
printf "$old" >"$work/dir/honura.ini"
session "$work/dir" "settings file replaced by a folder" \
    'rm "$dir/honura.ini" && mkdir "$dir/honura.ini" && printf x >"$dir/honura.ini/mine"'

mkdir -p "$mnt"
if [[ $(id -u) -eq 0 ]] && mount -t tmpfs -o size=256k,mode=0755 honura-faults "$mnt" 2>/dev/null; then
    mounted=true
    printf "$old" >"$mnt/honura.ini"
    session "$mnt" "disk full" 'cat /dev/zero >"$dir/filler" 2>/dev/null || true'
    rm -f "$mnt/filler"
    session "$mnt" "folder made read-only" 'mount -o remount,ro "$dir"'
    mount -o remount,rw "$mnt"
else
    echo "check-faults: SKIPPED: disk full and read-only folder need root and a tmpfs mount" >&2
    echo "check-faults: SKIPPED: (checking a folder without write permission instead)" >&2
    if [[ $(id -u) -ne 0 ]]; then
        mkdir -p "$work/locked"
        printf "$old" >"$work/locked/honura.ini"
        session "$work/locked" "folder without write permission" 'chmod a-w "$dir"'
        chmod u+w "$work/locked"
    fi
fi

# Saves while starts clean up beside them, in memory where there is a tmpfs so
# that many saves fit in a few seconds.
race=$(mktemp -d "$([[ -d /dev/shm && -w /dev/shm ]] && echo /dev/shm || echo "$work")/honura-race.XXXXXX")
cleaners=()
for _ in 1 2; do
    "$helper" clean "$race" &
    cleaners+=($!)
done
saves=8000
lost=$("$helper" saves "$race" "$saves")
kill "${cleaners[@]}"
wait "${cleaners[@]}" 2>/dev/null || true
rm -rf "$race"
[[ $lost -eq 0 ]] || fail "$lost of $saves saves were lost to starts cleaning up beside them"
echo "check-faults: $saves saves beside two cleaning starts: none lost"

# as_root_for <uid> <dir>: a board session run by root on behalf of uid, as sudo
# (or pkexec with pkexec) starts it.
as_root_for() {
    local uid=$1 dir=$2 how=${3:-sudo}
    if [[ $how == pkexec ]]; then
        echo | env -u SUDO_UID -u SUDO_GID PKEXEC_UID="$uid" "$helper" session "$dir" >/dev/null 2>&1
    else
        echo | env -u PKEXEC_UID SUDO_UID="$uid" SUDO_GID="$uid" "$helper" session "$dir" >/dev/null 2>&1
    fi
}
# What root's folder holds, with owners and modes.
owned() { (cd "$1" && find . -printf '%p %u:%g %m %s\n' -exec sh -c 'test -f "$1" && cat "$1"' _ {} \; | sha256sum); }

if [[ $(id -u) -eq 0 ]] && command -v setpriv >/dev/null; then
    uid=4242 # a second user, without an entry in the user database
    as_user() { setpriv --reuid=$uid --regid=$uid --clear-groups "$@"; }
    h=$work/hostile
    mkdir -m 755 "$h" "$h/root"
    printf '[X]\r\nsecret=1\r\n' >"$h/root/profile"
    chmod 640 "$h/root/profile"
    printf 'x' >"$h/root/profile.AbC123.tmp" # looks like a stale temporary of profile
    chmod 644 "$h/root/profile.AbC123.tmp"
    mkdir "$h/user"
    chown $uid:$uid "$h/user"
    as_user ln -s "$h/root/profile" "$h/user/honura.ini"
    as_user mkdir "$h/user/config"
    as_user ln -s "$h/root" "$h/user/config/honura"
    before=$(owned "$h/root")
    as_root_for $uid "$h/user"
    as_root_for $uid "$h/user/config/honura"
    as_root_for $uid "$h/user" pkexec
    [[ $(owned "$h/root") == "$before" ]] ||
        fail "run as root for a user: root's folder changed through the user's links: $(ls -la "$h/root")"
    [[ -L $h/user/honura.ini ]] || fail "run as root for a user: the user's link was replaced"
    echo "check-faults: run as root for a user: links to root's file and folder followed with the user's rights only"

    mkdir "$h/own"
    chown $uid:$uid "$h/own"
    as_user sh -c "printf '[Mine]\r\nK=1\r\n' >'$h/own/real.ini' && ln -s real.ini '$h/own/honura.ini'"
    as_root_for $uid "$h/own"
    grep -q 'NAME=' "$h/own/real.ini" && grep -q 'K=1' "$h/own/real.ini" && [[ -L $h/own/honura.ini ]] ||
        fail "run as root for a user: the user's own link was not followed"
    [[ $(stat -c %u "$h/own/real.ini") == "$uid" ]] || fail "run as root for a user: the user's file changed owner"
    rm "$h/own/honura.ini" "$h/own/real.ini"
    as_root_for $uid "$h/own" pkexec
    [[ $(stat -c %u:%g "$h/own/honura.ini" 2>/dev/null) == "$uid:65534" ]] ||
        fail "run as root for a user: a new file is not the user's ($(ls -la "$h/own"))"
    echo "check-faults: run as root for a user: the user's own link followed, a new file the user's own"
else
    echo "check-faults: SKIPPED: runs as root for another user need root and setpriv" >&2
fi

/usr/bin/python3 "$root/tests/e2e/hostile.py" --exe "$build/honura" || fail "the program on X servers (tests/e2e/hostile.py)"

if [[ -s $work/failures ]]; then
    echo "check-faults: $(wc -l <"$work/failures") failures" >&2
    exit 1
fi
echo "check-faults: OK"
