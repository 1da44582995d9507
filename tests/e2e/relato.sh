# The verdict lines shared by the end-to-end scripts: source this file from bash. It defines
# `failures`, the count of failed checks, and pass, fail and fatal, which print one line each;
# and problem and verdict, for scripts that note several problems per case and number their
# cases in `n`.
failures=0
pass() { echo "PASS: $*"; }
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# For a failed check that the later ones depend on: report it and stop here.
fatal() {
    fail "$*"
    exit 1
}
# Notes a problem of the current case.
problems=""
problem() { problems+="${problems:+; }$*"; }
# Reports the case NAME as passed when no problem was noted since the last verdict.
verdict() {
    if [ -z "$problems" ]; then pass "$1"; else fail "$1: $problems [case $n]"; fi
    problems=""
}
