# Measurement helpers of the whole-process benchmarks (sourced); the caller sets $work, the
# folder the figures are kept in.

# timed NAME COMMAND...: one whole run; appends "seconds peak_kib user_seconds system_seconds"
# to $work/NAME.
timed() {
    local name=$1
    shift
    /usr/bin/time -v "$@" > /dev/null 2> "$work/time.txt" ||
        { cat "$work/time.txt"; echo "failed: $*" >&2; exit 1; }
    awk '/Elapsed \(wall clock\)/ { n = split($NF, p, ":"); s = 0;
                                    for (i = 1; i <= n; i++) s = s * 60 + p[i] }
         /Maximum resident set size/ { kib = $6 }
         /User time \(seconds\)/ { user = $NF }
         /System time \(seconds\)/ { sys = $NF }
         END { print s, kib, user, sys }' "$work/time.txt" >> "$work/$name"
}
first() { head -1 "$work/$1" | cut -d' ' -f"$2"; }
median() { cut -d' ' -f"$2" "$work/$1" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%d", k / 1024 }'; }
