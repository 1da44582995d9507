# The verdict lines shared by the end-to-end scripts: source this file from bash. It defines
# `failures`, the count of failed checks, and pass, fail and fatal, which print one line each.
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
