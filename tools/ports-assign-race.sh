#!/bin/sh
# Sixteen `ksr-utility ports assign` at once, each giving another COM number, round after round:
# every number must be in the remembered file afterwards. Prints the rounds that lost one.
# Usage: tools/ports-assign-race.sh [UTILITY] [ROUNDS]   (build/ksr-utility, 200)
set -eu
utility=$(realpath "${1:-build/ksr-utility}")
rounds=${2:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
lost=0
refused=0
round=1
while [ "$round" -le "$rounds" ]; do
    rm -rf "$work/config"
    n=1
    while [ "$n" -le 16 ]; do
        (XDG_CONFIG_HOME="$work/config" KSR_DEVICE_LIST=/dev/null \
            "$utility" ports assign "COM$n" "$work/reader$n" >/dev/null 2>"$work/err$n" ||
            echo "COM$n: exit $?" >>"$work/refused") &
        n=$((n + 1))
    done
    wait
    stored=$(cat "$work/config/ksr-utility/ports.ini" 2>/dev/null | grep -c '^COM[0-9]*=' || true)
    if [ "$stored" -ne 16 ]; then
        lost=$((lost + 1))
        echo "round $round: $stored of 16 stored"
    fi
    round=$((round + 1))
done
[ -f "$work/refused" ] && refused=$(wc -l <"$work/refused")
echo "$rounds rounds of 16 concurrent 'ports assign': $lost lost an assignment;" \
    "$refused commands refused"
