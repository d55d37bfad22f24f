#!/usr/bin/env bash
# Tries the ways Lumora gets onto a machine, as its users would, and prints
# PASS or FAIL for each point. Slow and partly root-only, so it is not part
# of the test suite.
#   user  the README's build, run and per-user install as a normal account
#         (root makes a throwaway account lumora-check for it)
#   deb   cpack -G DEB from build/, and what the package holds
#   root  the package installed with dpkg in a fresh Debian 12 root
#         (mmdebstrap; root and the Debian mirror needed)
# Usage: bash scripts/check-install.sh [user] [deb] [root]   (default: all)
set -uo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
parts=("$@")
[ ${#parts[@]} -eq 0 ] && parts=(user deb root)
passed=0
failed=0
check() {
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then
        echo "PASS  $what"
        passed=$((passed + 1))
    else
        echo "FAIL  $what"
        failed=$((failed + 1))
    fi
}
mode_is() { [ "$(stat -c %a "$2")" = "$1" ]; }
owner_is() { [ "$(stat -c %U:%G "$2")" = "$1" ]; }

check_user() {
    local account=lumora-check
    if [ "$(id -u)" -ne 0 ]; then
        echo "SKIP  user: run as root, which makes the throwaway account $account"
        return
    fi
    local made=0
    if ! id "$account" >/dev/null 2>&1; then
        useradd -m -s /bin/bash "$account" && made=1
    fi
    local home
    home=$(getent passwd "$account" | cut -d: -f6)
    rm -rf "$home/lumora" "$home/.local/lib/lumora" "$home/.local/bin/lumora"
    mkdir -p "$home/lumora"
    tar -C "$src" --exclude=./build -cf - . | tar -C "$home/lumora" -xf -
    chown -R "$account:" "$home/lumora"
    as_user() { runuser -u "$account" -- env HOME="$home" bash -c "cd ~/lumora && $1"; }
    check "user: bash scripts/run.sh --version builds and answers as the user" \
        as_user 'bash scripts/run.sh --version | grep -q "^Lumora "'
    check "user: the build belongs to the user" owner_is "$account:$account" "$home/lumora/build/Lumora"
    check "user: cmake --install build --prefix ~/.local" as_user 'cmake --install build --prefix ~/.local'
    local lib=$home/.local/lib/lumora
    check "user: program in ~/.local/lib/lumora" test -x "$lib/Lumora"
    check "user: link ~/.local/bin/lumora answers --version" as_user '~/.local/bin/lumora --version'
    check "user: desktop entry starts the full path" \
        grep -qx "Exec=$home/.local/bin/lumora" "$home/.local/share/applications/lumora.desktop"
    check "user: desktop entry valid" desktop-file-validate "$home/.local/share/applications/lumora.desktop"
    check "user: icon installed" test -f "$home/.local/share/icons/hicolor/scalable/apps/lumora.svg"
    check "user: metainfo valid" appstreamcli validate --no-net "$home/.local/share/metainfo/io.github.lumora.metainfo.xml"
    check "user: books 660" mode_is 660 "$lib/Database/pondo.sjk"
    as_user "sqlite3 ~/.local/lib/lumora/Database/pondo.sjk \"insert into Users_Table(User_Name, User_Password) values('check', 'x')\""
    as_user 'cmake --install build --prefix ~/.local' >/dev/null 2>&1
    check "user: a second install keeps the books" \
        test "$(sqlite3 "$lib/Database/pondo.sjk" "select count(*) from Users_Table where User_Name='check'")" = 1
    [ "$made" = 1 ] && userdel -r "$account" >/dev/null 2>&1
}

check_deb() {
    [ -d "$src/build" ] || { echo "FAIL  deb: no build/ (bash scripts/build.sh first)"; failed=$((failed + 1)); return; }
    rm -f "$src"/build/lumora_*.deb
    check "deb: cpack -G DEB" bash -c "cd '$src/build' && cpack -G DEB"
    deb=$(ls "$src"/build/lumora_*.deb 2>/dev/null | head -1)
    [ -n "$deb" ] || return
    local list
    list=$(dpkg-deb -c "$deb")
    check "deb: /usr/lib/lumora/Lumora" grep -q " ./usr/lib/lumora/Lumora$" <<<"$list"
    check "deb: link /usr/bin/lumora" grep -q "./usr/bin/lumora -> ../lib/lumora/Lumora" <<<"$list"
    check "deb: desktop entry, icon, metainfo" bash -c "grep -q applications/lumora.desktop <<<\"\$0\" &&
        grep -q apps/lumora.svg <<<\"\$0\" && grep -q metainfo/io.github.lumora.metainfo.xml <<<\"\$0\"" "$list"
    check "deb: ships no books (pondo.sjk)" bash -c "! grep -q 'Database/pondo.sjk' <<<\"\$0\"" "$list"
    check "deb: copyright, changelog and manual page" bash -c "grep -q doc/lumora/copyright <<<\"\$0\" &&
        grep -q doc/lumora/changelog.gz <<<\"\$0\" && grep -q man1/lumora.1.gz <<<\"\$0\"" "$list"
    check "deb: lintian finds no error or warning" lintian --fail-on error,warning "$deb"
    local tmp
    tmp=$(mktemp -d)
    dpkg-deb -x "$deb" "$tmp"
    check "deb: program stripped" bash -c "file '$tmp/usr/lib/lumora/Lumora' | grep -q ', stripped'"
    check "deb: entry Exec=/usr/bin/lumora" grep -qx "Exec=/usr/bin/lumora" "$tmp/usr/share/applications/lumora.desktop"
    rm -rf "$tmp"
}

check_root() {
    [ -n "${deb:-}" ] || deb=$(ls "$src"/build/lumora_*.deb 2>/dev/null | head -1)
    if [ "$(id -u)" -ne 0 ] || [ -z "$deb" ] || ! command -v mmdebstrap >/dev/null; then
        echo "SKIP  root: needs root, mmdebstrap and build/lumora_*.deb"
        return
    fi
    local root
    root=$(mktemp -d /tmp/lumora-root.XXXXXX)
    # apt reads the package from the host and dpkg from inside the root: the
    # same path must hold it in both.
    local staged=/tmp/lumora-check-deb/$(basename "$deb")
    mkdir -p "$(dirname "$staged")" && cp "$deb" "$staged"
    check "root: fresh Debian 12 with the package (mmdebstrap, dpkg)" \
        mmdebstrap --variant=apt --include=sqlite3 --include="$staged" \
        --setup-hook="mkdir -p \"\$1$(dirname "$staged")\" && cp '$staged' \"\$1$staged\"" bookworm "$root"
    local db=$root/usr/lib/lumora/Database
    check "root: group lumora made" grep -q "^lumora:" "$root/etc/group"
    # Names resolved inside the root: the host has no lumora group.
    local inside=/usr/lib/lumora/Database
    check "root: Database root:lumora 2770" \
        bash -c "[ \"\$(chroot '$root' stat -c %a:%U:%G $inside)\" = 2770:root:lumora ]"
    check "root: books root:lumora 660" \
        bash -c "[ \"\$(chroot '$root' stat -c %a:%U:%G $inside/pondo.sjk)\" = 660:root:lumora ]"
    check "root: lumora --version" chroot "$root" /usr/bin/lumora --version
    chroot "$root" sqlite3 /usr/lib/lumora/Database/pondo.sjk \
        "insert into Users_Table(User_Name, User_Password) values('check', 'x')" >/dev/null 2>&1
    cp "$deb" "$root/tmp/lumora.deb"
    check "root: dpkg -i again (upgrade)" chroot "$root" dpkg -i /tmp/lumora.deb
    check "root: reinstall keeps the books" bash -c "[ \"\$(chroot '$root' sqlite3 /usr/lib/lumora/Database/pondo.sjk \
        \"select count(*) from Users_Table where User_Name='check'\")\" = 1 ]"
    check "root: Database still 2770 after upgrade" bash -c "[ \"\$(stat -c %a '$db')\" = 2770 ]"
    chroot "$root" useradd -m -G lumora alice >/dev/null 2>&1
    check "root: a member of lumora can write the books" chroot "$root" runuser -u alice -- \
        sqlite3 /usr/lib/lumora/Database/pondo.sjk "insert into Users_Table(User_Name, User_Password) values('alice', 'x')"
    chroot "$root" useradd -m mallory >/dev/null 2>&1
    check "root: another account cannot read the books" bash -c "! chroot '$root' runuser -u mallory -- \
        cat /usr/lib/lumora/Database/pondo.sjk"
    check "root: dpkg -r keeps the books" bash -c "chroot '$root' dpkg -r lumora && test -f '$db/pondo.sjk'"
    rm -rf "$root" "$(dirname "$staged")"
}

for part in "${parts[@]}"; do
    case $part in
    user) check_user ;;
    deb) check_deb ;;
    root) check_root ;;
    *) echo "unknown part $part" >&2; exit 2 ;;
    esac
done
echo "passed $passed, failed $failed"
[ "$failed" -eq 0 ]
