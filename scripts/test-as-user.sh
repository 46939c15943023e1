#!/usr/bin/env bash
# Runs the built suite (fuzzers aside) once more as an ordinary user: root
# passes over file permissions and hides a whole class of faults. CI runs it
# as root after scripts/test.sh. The user (ZDR_TEST_USER, default nobody)
# owns build/ for the run (the binaries are reused, nothing is built) and
# gets a fresh folder of its own as HOME, TMPDIR and XDG_RUNTIME_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
  echo "scripts/test-as-user.sh: not root, so scripts/test.sh ran as $(id -un) already"
  exit 0
fi
user=${ZDR_TEST_USER:-nobody}
uid=$(id -u "$user")
gid=$(id -g "$user")
as_user() { setpriv --reuid="$uid" --regid="$gid" --clear-groups "$@"; }
if ! as_user test -x "$PWD/build/tests"; then
  echo "scripts/test-as-user.sh: $user cannot reach $PWD/build (each folder above it needs o+x)" >&2
  exit 1
fi
reports=$PWD/build/test-reports/$user
rm -rf "$reports" build/Testing/Temporary/LastTestsFailed.log
mkdir -p "$reports"
owner=$(stat -c %u:%g build)
home=$(mktemp -d "/tmp/zdr-$user-XXXXXX")
mkdir -m 700 "$home/run"
trap 'chown -R "$owner" build; rm -rf "$home"' EXIT
chown -R "$uid:$gid" build "$home"
echo "== The tests once more as $user (uid $uid)"
status=0
as_user env -i PATH="$PATH" HOME="$home" TMPDIR="$home" XDG_RUNTIME_DIR="$home/run" USER="$user" LOGNAME="$user" \
  LANG="${LANG:-C.UTF-8}" GTEST_OUTPUT="xml:$reports/" \
  bash -c 'cd build && ctest --output-on-failure -j "$(nproc)" -E "^fuzz_" "$@"' ctest "$@" || status=$?
cp build/Testing/Temporary/LastTestsFailed.log "$reports/ctest-failed.log" 2>/dev/null || true
[ -n "${ZDR_NO_TEST_REPORT:-}" ] || python3 scripts/ci/test-report.py "$reports" || true
exit "$status"
