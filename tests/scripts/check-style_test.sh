#!/usr/bin/env bash
# The style check catches what it must, in a small tree of its own: a badly
# laid-out line however long ago it was committed, a bad name in a
# header-only file, bad names anywhere with --all, constants named as
# variables, a header no built file includes, and a new file without its
# opening comment; a clean tree passes.
#   tests/scripts/check-style_test.sh <source folder>
set -u
root=$1
tree=$(mktemp -d /tmp/overink-style.XXXXXX)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/scripts" "$tree/src/platform" "$tree/build"
cp "$root/scripts/check-style" "$tree/scripts/"
cp "$root/.clang-format" "$root/.clang-tidy" "$tree/"
cd "$tree" || exit 1
git init -q . && git config user.email test@localhost && git config user.name test
printf '/build/\n' >.gitignore

cat >src/platform/Counter.h <<'CODE'
#pragma once
// A counter, planted for the style check's test.

#include "platform/Limits.h"

class Counter {
public:
    int next() { return value_ < kLimit ? ++value_ : value_; }

private:
    int value_ = 0;
};
CODE
cat >src/platform/Limits.h <<'CODE'
#pragma once
// How far the counter goes.

constexpr int kLimit = 10;
CODE
cat >src/platform/Counter.cpp <<'CODE'
// The counter's first use.
#include "platform/Counter.h"

int firstCount() {
    Counter counter;
    return counter.next();
}
CODE
printf '[{"directory": "%s", "command": "clang++ -std=c++20 -I%s/src -c %s/src/platform/Counter.cpp", "file": "%s/src/platform/Counter.cpp"}]\n' \
    "$tree/build" "$tree" "$tree" "$tree" >build/compile_commands.json
commit() { git add -A && git commit -q -m "$1"; }
age() { for i in $(seq 11); do git commit -q --allow-empty -m "later $i"; done; }
commit "a clean tree"

fail=0
check() { # expected status, pattern the output must hold (or ""), then options
    local want=$1 pattern=$2 out status
    shift 2
    out=$(scripts/check-style --jobs 2 "$@" 2>&1)
    status=$?
    if [ "$status" -ne "$want" ] || { [ -n "$pattern" ] && ! grep -qE -- "$pattern" <<<"$out"; }; then
        printf '%s: check-style %s exited %s (want %s), output:\n%s\n' "$step" "$*" "$status" "$want" "$out"
        fail=1
    fi
}

step="clean tree"
check 0 "" && check 0 "" --all

step="a bad layout committed eleven commits ago"
sed -i 's/    Counter counter;/    Counter  counter;/' src/platform/Counter.cpp
commit "a bad line" && age
check 1 '^\+\+\+ src/platform/Counter.cpp \(clang-format\)'
sed -i 's/    Counter  counter;/    Counter counter;/' src/platform/Counter.cpp && commit "laid out again" && age

step="a bad name in a header-only file"
printf 'struct limit_pair {\n    int low;\n};\n' >>src/platform/Limits.h
commit "a badly named header-only type"
check 1 'Limits\.h:5:8: error: invalid case style for struct .limit_pair'

step="the same bad name once it is old"
age
check 0 ""
check 1 'Limits\.h:5:8: error: invalid case style' --all
sed -i '/limit_pair/,$d' src/platform/Limits.h && commit "named again" && age

step="camelBack constants, at namespace scope and in a class"
printf 'constexpr int limitStep = 1;\n' >>src/platform/Limits.h
sed -i 's/    int value_ = 0;/    int value_ = 0;\n    static constexpr int startValue = 0;/' src/platform/Counter.h
commit "constants named as variables"
check 1 "Limits\.h:5:15: error: invalid case style for global constant 'limitStep'"
check 1 "Counter\.h:12:26: error: invalid case style for class constant 'startValue'"
sed -i '/limitStep/d' src/platform/Limits.h && sed -i '/startValue/d' src/platform/Counter.h && commit "named again" && age

step="a header that no built file includes"
printf '#pragma once\n// Nothing includes this.\n\nstruct Orphan {};\n' >src/platform/Orphan.h
check 1 '^src/platform/Orphan\.h: no file that build builds includes it' --all
check 1 '^src/platform/Orphan\.h: no file that build builds includes it'
rm src/platform/Orphan.h

step="a new file without its opening comment"
printf '#pragma once\n\nstruct Uncommented {};\n' >src/platform/Uncommented.h
printf '#include "platform/Uncommented.h"\n' >>src/platform/Counter.cpp
check 1 '^src/platform/Uncommented\.h: a new file opens with a comment line'

[ $fail -eq 0 ] && echo "check-style catches every planted fault"
exit $fail
