#!/usr/bin/env bash
# FolderInventory against GNU find on generated trees ("make bench", or bench/run.sh BUILD_DIR).
#
# The anchor is find doing the least work the same listing needs: one directory read and one
# stat per entry (find TREE -printf '%s %p\n'). It is timed in the same rounds as the program on
# the same warm tree, so the figures are ratios that hold on a busy machine. Every figure is the
# median of FI_BENCH_RUNS runs (default 5) after one warm-up round; cancel_ms is the worst of
# five. Output: "name value" lines, comments starting with "#", and one summary line at the end.
#
# Trees: T200K (200,000 files in 2,000 folders) for the timings, T1M (1,000,000 files in 10,000
# folders) for memory and cancelling; both are built in a temporary folder under /tmp and removed
# at the end. FI_BENCH_SKIP_T1M=1 leaves out T1M and the figures that need it.
#
# The HTML snapshot: its bytes per entry of T200K, and the time headless Chromium takes to show
# the first folder of T1M's snapshot and to search it for a name that occurs once
# (bench/snapshot_bench.py; needs chromium, chromium-driver and python3-selenium).
#
# Network shares: three small trees read through fi_bench_share, a FUSE file system of our own
# that adds a round trip of 5 ms to each folder read, and in the second profile to each lookup
# and stat of an entry too; the third, a deep tree, at 3 ms a folder read. Each run gets a freshly
# mounted share, so nothing is cached from an earlier one; the figures are medians of
# FI_BENCH_SHARE_RUNS runs (default 3), with how many requests were in flight. They need
# /dev/fuse and are left out without it.
#
# Checksums: the tool's SHA-256 of 2 GB in 10 files and of 20,000 small files against sha256sum
# (warm), of the big files after dropping the page cache against cat, its memory, and a SIGINT
# in the middle of a 2 GB file (and a click on "Abbrechen" there in the window).
#
# Exclusions: the extended listing of a tree of 200,000 files whose top folder holding 90 % of
# them is excluded, against the whole listing (exclude_vs_full: an excluded subtree costs nothing).
#
# FI_BENCH_ONLY picks sections, separated by commas: t200k (the tool, the window and the snapshot
# on T200K), t1m (T1M and the huge folder), compare, exclude, share, hash (hash_cancel: its
# cancel alone).
# FI_BENCH_ONLY=hash bench/run.sh gives the checksum figures alone; the summary then checks only
# the figures measured.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
bench_dir=$(cd "$(dirname "$0")" && pwd)
runs=${FI_BENCH_RUNS:-5}
share_runs=${FI_BENCH_SHARE_RUNS:-3}
cli=$build/cli/folderinventory-cli
tree_tool=$build/bench/fi_bench_tree
gui=$build/bench/fi_bench_gui
share_tool=$build/bench/fi_bench_share

# One locale for every program: UTF-8 names, the same number format in every listing.
export LC_ALL=C.UTF-8
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d /tmp/fi-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

declare -A figures=()
only=${FI_BENCH_ONLY:-}

# section NAME: whether FI_BENCH_ONLY leaves the section NAME in.
section() { [ -z "$only" ] || [[ ",$only," == *",$1,"* ]]; }

# ---- helpers --------------------------------------------------------------------------------

note() { echo "# $*"; }

figure() {
    echo "$1 $2"
    figures[$1]=$2
}

# Microseconds the command takes, its standard output thrown away.
elapsed_us() {
    local start=$EPOCHREALTIME
    "$@" > /dev/null
    local end=$EPOCHREALTIME
    echo $((${end/./} - ${start/./}))
}

median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
        END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

maximum() { printf '%s\n' "$@" | sort -g | tail -n 1; }

# calc EXPRESSION [FORMAT]: floating-point arithmetic on the figures.
calc() { awk "BEGIN { printf \"${2:-%.3f}\", $1 }"; }

us_to_ms() { calc "$1 / 1000"; }

# median_us COMMAND...: the median time of FI_BENCH_RUNS runs of COMMAND after one warm-up run.
median_us() {
    local round t
    local -a times=()
    for ((round = 0; round <= runs; round++)); do
        t=$(elapsed_us "$@")
        if ((round > 0)); then
            times+=("$t")
        fi
    done
    median "${times[@]}"
}

load_average() { cut -d' ' -f1-3 /proc/loadavg; }

# The value of NAME in "name value" lines.
field() { awk -v name="$1" '$1 == name { print $2 }' <<< "$2"; }

# make_tree NAME FILES FANOUT...: builds the tree $work/NAME (in tree_dir) with FILES files in
# every folder and FANOUT folders on each level, and warms the caches with one find.
make_tree() {
    local start=$EPOCHREALTIME name=$1
    shift
    tree_dir=$work/$name
    mkdir "$tree_dir"
    "$tree_tool" "$tree_dir" "$@" | sed "s/^/# $name: /"
    find "$tree_dir" -printf '%s %p\n' > /dev/null
    note "$name: built in $(calc "(${EPOCHREALTIME/./} - ${start/./}) / 1e6" %.1f) s"
}

remove_tree() {
    local start=$EPOCHREALTIME
    rm -rf "$1"
    note "$(basename "$1"): removed in $(calc "(${EPOCHREALTIME/./} - ${start/./}) / 1e6" %.1f) s"
}

# ---- the command-line tool ------------------------------------------------------------------

# cli_rounds TREE LABEL: find, the extended and the simple listing, interleaved round by round.
cli_rounds() {
    local tree=$1 label=$2 round
    local -a finds=() exts=() simples=()
    for ((round = 0; round <= runs; round++)); do
        local f e s
        f=$(elapsed_us find "$tree" -printf '%s %p\n')
        e=$(elapsed_us "$cli" "$tree")
        s=$(elapsed_us "$cli" --simple --full-path "$tree")
        if ((round > 0)); then
            finds+=("$f") exts+=("$e") simples+=("$s")
        fi
    done
    local find_us ext_us simple_us
    find_us=$(median "${finds[@]}")
    ext_us=$(median "${exts[@]}")
    simple_us=$(median "${simples[@]}")
    figure "find_${label}_ms" "$(us_to_ms "$find_us")"
    figure "cli_ext_${label}_ms" "$(us_to_ms "$ext_us")"
    figure "cli_simple_${label}_ms" "$(us_to_ms "$simple_us")"
    find_run_us=$find_us
    cli_ext_ratio=$(calc "$ext_us / $find_us")
    cli_simple_ratio=$(calc "$simple_us / $find_us")
}

# cli_json_rounds TREE: find with each entry's kind, size and time against the inventory in JSON
# Lines, which gives the same for each entry, interleaved round by round.
cli_json_rounds() {
    local tree=$1 round
    local -a finds=() jsons=()
    for ((round = 0; round <= runs; round++)); do
        local f j
        f=$(elapsed_us find "$tree" -printf '%y %s %T@ %p\n')
        j=$(elapsed_us "$cli" --format json "$tree")
        if ((round > 0)); then
            finds+=("$f") jsons+=("$j")
        fi
    done
    local find_us json_us
    find_us=$(median "${finds[@]}")
    json_us=$(median "${jsons[@]}")
    figure find_times_t200k_ms "$(us_to_ms "$find_us")"
    figure cli_json_t200k_ms "$(us_to_ms "$json_us")"
    cli_json_ratio=$(calc "$json_us / $find_us")
}

# exclude_rounds: a tree of 200,000 files whose top folder "big" holds 90 % of them (36 x 49
# folders of 100 files, beside 4 x 49 in "rest"): the extended listing with "big" excluded
# against the whole listing, interleaved round by round; sets exclude_ratio.
exclude_rounds() {
    local tree=$work/exclude200k round
    mkdir -p "$tree/big" "$tree/rest"
    "$tree_tool" "$tree/big" 100 36 49 | sed "s/^/# exclude200k big: /"
    "$tree_tool" "$tree/rest" 100 4 49 | sed "s/^/# exclude200k rest: /"
    find "$tree" -printf '%s %p\n' > /dev/null
    local -a fulls=() excluded=()
    for ((round = 0; round <= runs; round++)); do
        local f e
        f=$(elapsed_us "$cli" "$tree")
        e=$(elapsed_us "$cli" --exclude big "$tree")
        if ((round > 0)); then
            fulls+=("$f") excluded+=("$e")
        fi
    done
    local full_us excluded_us
    full_us=$(median "${fulls[@]}")
    excluded_us=$(median "${excluded[@]}")
    figure cli_full_exclude200k_ms "$(us_to_ms "$full_us")"
    figure cli_excluded_exclude200k_ms "$(us_to_ms "$excluded_us")"
    exclude_ratio=$(calc "$excluded_us / $full_us")
    remove_tree "$tree"
}

cli_profile() {
    local tree=$1 entries=$2 out=$work/cli.callgrind
    if ! command -v valgrind > /dev/null; then
        note "valgrind is not installed: no instruction count"
        return
    fi
    valgrind --tool=callgrind --callgrind-out-file="$out" \
        "$cli" --quiet "$tree" > /dev/null 2> "$work/callgrind.log"
    local instructions
    instructions=$(awk '/^(summary|totals):/ { print $2; exit }' "$out")
    figure cli_ext_instructions "$instructions"
    figure cli_ext_instructions_per_entry "$(calc "$instructions / $entries" %.0f)"
    note "top functions of folderinventory-cli --quiet T200K (callgrind, own cost):"
    # The function lines only: no library paths, parameter lists or template arguments.
    callgrind_annotate "$out" 2> /dev/null | grep -E '^ *[0-9,]+ \( *[0-9.]+%\) ' |
        sed -E 's/ \[[^]]*\]$//; s/\?\?\?://; s/\[abi:cxx11\]//g' |
        perl -pe 'my ($cost, $name) = /^(\s*[\d,]+ \(\s*[\d.]+%\)\s+)(.*)$/ or next;
            $name =~ s{^\S*/[^/:]*:}{};
            1 while $name =~ s/\((?!anonymous namespace\))[^()]*\)(?=.)//g;
            1 while $name =~ s/<[^<>]*>//g;
            $_ = "$cost$name\n"' |
        cut -c1-110 | awk 'NR <= 20' | sed 's/^/#   /'
}

# The page cache can be dropped only by root, and not in every container.
can_drop_caches() { [ "$(id -u)" = 0 ] && [ -w /proc/sys/vm/drop_caches ]; }
drop_caches() { sync && echo 3 > /proc/sys/vm/drop_caches; }

# cli_cold_rounds TREE: find and the extended listing, each after the page cache was dropped.
cli_cold_rounds() {
    local tree=$1 round
    local -a finds=() exts=()
    for ((round = 1; round <= runs; round++)); do
        drop_caches
        finds+=("$(elapsed_us find "$tree" -printf '%s %p\n')")
        drop_caches
        exts+=("$(elapsed_us "$cli" "$tree")")
    done
    local find_us ext_us
    find_us=$(median "${finds[@]}")
    ext_us=$(median "${exts[@]}")
    figure find_t200k_cold_ms "$(us_to_ms "$find_us")"
    figure cli_ext_t200k_cold_ms "$(us_to_ms "$ext_us")"
    cli_cold_ratio=$(calc "$ext_us / $find_us")
}

# cli_cancel_big_folder FOLDER: SIGINT at several moments of a listing of one huge folder; the
# time from the signal to the end of the tool, the worst of them.
cli_cancel_big_folder() {
    local folder=$1 delay pid start end
    local -a cancels=()
    for delay in 0.05 0.15 0.3 0.5 0.8 1.2; do
        "$cli" "$folder" > /dev/null 2>&1 &
        pid=$!
        sleep "$delay"
        start=$EPOCHREALTIME
        kill -INT "$pid" 2> /dev/null || true
        wait "$pid" || true
        end=$EPOCHREALTIME
        cancels+=("$(us_to_ms $((${end/./} - ${start/./})))")
    done
    note "SIGINT to the end of the tool: ${cancels[*]} ms"
    cli_cancel_worst=$(maximum "${cancels[@]}")
}

# Peak memory of the extended listing of one huge folder, written to a pipe.
cli_rss_big_folder() {
    local kb
    kb=$( { /usr/bin/time -f '%M' "$cli" "$1" | cat > /dev/null; } 2>&1 | tail -n 1)
    cli_rss_big=$(calc "$kb / 1024" %.1f)
}

# ---- the HTML snapshot ----------------------------------------------------------------------

# html_size TREE ENTRIES: the snapshot of the tree, its bytes per entry.
html_size() {
    local page=$work/snapshot.html
    "$cli" --quiet --format html -o "$page" "$1"
    html_bytes_ratio=$(calc "$(stat -c %s "$page") / $2" %.1f)
    figure html_bytes_per_entry "$html_bytes_ratio"
    rm -f "$page"
}

# html_browser TREE: the snapshot of the tree with one file added whose name occurs once, opened
# and searched in headless Chromium (bench/snapshot_bench.py, the medians of FI_BENCH_RUNS).
html_browser() {
    local page=$work/snapshot-1m.html out start
    local folder
    folder=$(find "$1" -mindepth 2 -maxdepth 2 -type d | sort | tail -n 1)
    : > "$folder/Einzelstück-4711.txt"
    start=$EPOCHREALTIME
    "$cli" --quiet --format html -o "$page" "$1"
    note "snapshot of T1M: $(calc "$(stat -c %s "$page") / 1048576" %.1f) MB, written in" \
        "$(calc "(${EPOCHREALTIME/./} - ${start/./}) / 1000" %.0f) ms"
    if ! out=$(timeout 900 /usr/bin/python3 "$bench_dir/snapshot_bench.py" "$page" "$runs" \
        Einzelstück-4711 2> "$work/snapshot-bench.log"); then
        sed 's/^/#   /' "$work/snapshot-bench.log" >&2
        rm -f "$page" "$folder/Einzelstück-4711.txt"
        return 1
    fi
    rm -f "$page" "$folder/Einzelstück-4711.txt"
    if [ "$(field html_search_hits "$out")" != 1 ]; then
        note "WARNING: the search for the name that occurs once found $(field html_search_hits "$out")"
    fi
    html_open=$(field html_open_ms "$out")
    html_search=$(field html_search_ms "$out")
    figure html_open_1m_ms "$html_open"
    figure html_search_1m_ms "$html_search"
}

# Why the browser figures cannot be measured here, or nothing when they can.
browser_unavailable() {
    if ! command -v chromium > /dev/null || ! command -v chromedriver > /dev/null; then
        echo "chromium or chromium-driver is not installed"
    elif ! /usr/bin/python3 -c 'import selenium' 2> /dev/null; then
        echo "python3-selenium is not installed"
    fi
}

# ---- network shares ------------------------------------------------------------------------

# Why the share figures cannot be measured here, or nothing when they can.
share_unavailable() {
    if [ ! -e /dev/fuse ]; then
        echo "/dev/fuse is missing (no FUSE in this container)"
    elif [ ! -x "$share_tool" ]; then
        echo "$share_tool was not built (libfuse3 is missing)"
    elif [ "$(id -u)" != 0 ] && ! command -v fusermount3 > /dev/null; then
        echo "mounting needs root or fusermount3"
    fi
}

# share_run PROFILE FOLDER_MS ENTRY_MS COMMAND...: runs the command on a freshly mounted share of
# $share_src at $share_mnt; the share's report goes to PROFILE. The command's own exit status
# does not count (find says 1 for an unreadable folder); a share that cannot be mounted does.
share_run() {
    local profile=$1 folder_ms=$2 entry_ms=$3 status=0
    shift 3
    "$share_tool" --profile "$profile" "$share_src" "$share_mnt" "$folder_ms" "$entry_ms" "$@" \
        > /dev/null || status=$?
    if [ "$status" = 125 ]; then
        echo "fi_bench_share could not mount $share_mnt" >&2
        return 1
    fi
}

# share_profile_note LABEL PROFILE: what bounded the run: its round trips and how many were in
# flight, on average, at most and over the run's time in twentieths.
share_profile_note() {
    local p
    p=$(cat "$2")
    note "$1: $(field round_trips "$p") round trips of $(field requests "$p") requests" \
        "(lookup $(field requests_lookup "$p"), getattr $(field requests_getattr "$p")," \
        "opendir $(field requests_opendir "$p"), readdir $(field requests_readdir "$p")), in" \
        "flight $(field mean_in_flight "$p") on average, $(field peak_in_flight "$p") at most"
    note "$1: in flight over time: $(awk '$1 == "in_flight_over_time" { $1 = ""; print substr($0, 2) }' <<< "$p")"
}

# share_rounds NAME FOLDER_MS ENTRY_MS FILES FANOUT...: builds the tree, then find, the extended
# and the simple listing on the share, interleaved round by round; sets share_ratio.
share_rounds() {
    local name=$1 folder_ms=$2 entry_ms=$3 round
    shift 3
    local -a finds=() exts=() simples=()
    share_src=$work/share-src share_mnt=$work/share-mnt
    mkdir "$share_src" "$share_mnt"
    "$tree_tool" "$share_src" "$@" | sed "s/^/# $name: /"
    find "$share_src" -printf '%s %p\n' > /dev/null
    note "$name: $folder_ms ms per folder read, $entry_ms ms per entry; load $(load_average)"
    # The share must give the same listing as the folder it shows.
    share_run "$work/share.profile" "$folder_ms" "$entry_ms" sh -c \
        '"$1" "$2" > "$3"' sh "$cli" "$share_mnt" "$work/share.listing"
    if ! "$cli" "$share_src" | sed "s|$share_src|$share_mnt|" | cmp -s - "$work/share.listing"; then
        note "WARNING: the listing through the share differs from the listing of its source"
    fi
    for ((round = 1; round <= share_runs; round++)); do
        share_run "$work/find.profile" "$folder_ms" "$entry_ms" find "$share_mnt" -printf '%s %p\n'
        share_run "$work/ext.profile" "$folder_ms" "$entry_ms" "$cli" "$share_mnt"
        share_run "$work/simple.profile" "$folder_ms" "$entry_ms" \
            "$cli" --simple --full-path "$share_mnt"
        finds+=("$(field command_ms "$(cat "$work/find.profile")")")
        exts+=("$(field command_ms "$(cat "$work/ext.profile")")")
        simples+=("$(field command_ms "$(cat "$work/simple.profile")")")
    done
    local find_ms ext_ms simple_ms
    find_ms=$(median "${finds[@]}")
    ext_ms=$(median "${exts[@]}")
    simple_ms=$(median "${simples[@]}")
    figure "find_${name}_ms" "$find_ms"
    figure "cli_ext_${name}_ms" "$ext_ms"
    figure "cli_simple_${name}_ms" "$simple_ms"
    figure "cli_simple_${name}_vs_find" "$(calc "$simple_ms / $find_ms")"
    share_profile_note "$name: find (last round)" "$work/find.profile"
    share_profile_note "$name: extended listing (last round)" "$work/ext.profile"
    note "$name: load at the end $(load_average)"
    share_ratio=$(calc "$ext_ms / $find_ms")
    rm -rf "$share_src" "$share_mnt" "$work"/*.profile "$work/share.listing"
}

# ---- the windows ----------------------------------------------------------------------------

# The window driver, its messages kept apart and shown only when it fails.
run_gui() {
    if ! timeout 600 "$gui" "$@" 2> "$work/gui.log"; then
        sed 's/^/#   /' "$work/gui.log" >&2
        return 1
    fi
}

# gui_rounds TREE: whole runs in the real windows, each in a fresh program, against find and
# against the tool's extended listing of the same tree in the same round.
gui_rounds() {
    local tree=$1 round out
    local -a finds=() clis=() totals=() searches=() writes=()
    for ((round = 0; round <= runs; round++)); do
        local f c
        f=$(elapsed_us find "$tree" -printf '%s %p\n')
        c=$(elapsed_us "$cli" "$tree")
        out=$(run_gui run "$tree") || return 1
        ((round > 0)) || continue
        finds+=("$f") clis+=("$c")
        totals+=("$(field gui_run_ms "$out")")
        searches+=("$(field gui_search_ms "$out")")
        writes+=("$(field gui_write_ms "$out")")
        gui_lines=$(field gui_lines "$out")
    done
    local find_ms cli_ms run_ms
    find_ms=$(us_to_ms "$(median "${finds[@]}")")
    cli_ms=$(us_to_ms "$(median "${clis[@]}")")
    run_ms=$(median "${totals[@]}")
    figure find_t200k_gui_rounds_ms "$find_ms"
    figure cli_ext_t200k_gui_rounds_ms "$cli_ms"
    figure gui_run_t200k_ms "$run_ms"
    figure gui_search_t200k_ms "$(median "${searches[@]}")"
    figure gui_write_t200k_ms "$(median "${writes[@]}")"
    figure gui_lines_t200k "$gui_lines"
    gui_ratio=$(calc "$run_ms / $find_ms")
    gui_cli_ratio=$(calc "$run_ms / $cli_ms")
}

# The whole run on T1M in one fresh program: its peak memory, scaled to a million lines.
gui_memory() {
    local tree=$1 out
    out=$(run_gui run "$tree") || return 1
    local rss lines
    rss=$(field gui_rss_mb "$out")
    lines=$(field gui_lines "$out")
    t1m_search_ms=$(field gui_search_ms "$out")
    figure gui_run_t1m_ms "$(field gui_run_ms "$out")"
    figure gui_search_t1m_ms "$t1m_search_ms"
    figure gui_lines_t1m "$lines"
    figure gui_rss_mb_t1m "$rss"
    figure gui_rss_result_window_mb_t1m "$(field gui_rss_shown_mb "$out")"
    gui_rss_ratio=$(calc "$rss * 1000000 / $lines" %.1f)
}

# Clicks on "Abbrechen" spread over the search of T1M, one warm-up and then the measured ones.
gui_cancel() {
    local tree=$1 search_ms=$2 delays=() fraction out
    for fraction in 0.10 0.20 0.35 0.50 0.65 0.80; do
        delays+=("$(calc "$search_ms * $fraction" %.0f)")
    done
    note "cancel clicks after ${delays[*]} ms (the first is the warm-up)"
    out=$(run_gui cancel "$tree" "${delays[@]}") || return 1
    local -a cancels
    # The first click is the warm-up; a click that came outside the search measures nothing.
    mapfile -t cancels < <(awk '$1 ~ /^cancel_(ms|outside)/' <<< "$out" | tail -n +2 |
        awk '$1 == "cancel_ms" { print $2 }')
    if [ "${#cancels[@]}" -lt 5 ]; then
        note "some clicks came outside the search:"
        sed 's/^/#   /' <<< "$out"
    fi
    [ "${#cancels[@]}" -gt 0 ] || return 1
    note "cancel times: ${cancels[*]} ms"
    cancel_worst=$(maximum "${cancels[@]}")
}

# Clicks on "Abbrechen" spread over the search of one huge folder, as in gui_cancel.
gui_cancel_big_folder() {
    local out saved=$cancel_worst
    out=$(run_gui run "$1") || return 1
    gui_cancel "$1" "$(field gui_search_ms "$out")" || return 1
    big_cancel_worst=$cancel_worst
    cancel_worst=$saved
}

# ---- the comparison -------------------------------------------------------------------------

# compare_listing FILE VARIANT: a saved extended listing of 1,000,000 file lines in 10,000
# folders (1,070,000 lines in all); in variant 1 one file in a thousand has grown, one is gone
# and one is new.
compare_listing() {
    awk -v variant="$2" 'function line(text) { printf "%s\r\n", text }
    BEGIN {
        line("**    FolderInventory     **"); line("**  FolderInventory-Team  **")
        line("**      Dateiliste        **"); line("----------------------------")
        line("Suchverzeichnisse"); line(" /srv/archiv [mit Unterverzeichnissen]"); line("")
        line("Suchmasken: *.*"); line("----------------------------")
        for (d = 0; d < 10000; d++) {
            line(""); line(""); line(sprintf("Verzeichnis von /srv/archiv/band%02d/ordner%04d/", d % 97, d)); line("")
            line(sprintf("%-9d  %-50s", 0, "<DIR> .")); line(sprintf("%-9d  %-50s", 0, "<DIR> .."))
            for (f = 0; f < 100; f++) {
                n = d * 100 + f; size = (n * 7919) % 1000003
                if (variant == 1 && n % 1000 == 1) continue
                if (variant == 1 && n % 1000 == 2) size += 4096
                line(sprintf("%-15d  %-50s", size, sprintf("datei-%07d.dat", n)))
                if (variant == 1 && n % 1000 == 3) line(sprintf("%-15d  %-50s", 10, sprintf("neu-%07d.dat", n)))
            }
            line(""); line("100 Datei(en), 0 Bytes")
        }
        line(""); line(""); line("1000000    Datei(en) insgesamt, 0 Bytes (~ 0,00 MB)")
        line("10000      Verzeichnis(se)")
    }' > "$1"
}

# compare_json_listing FILE VARIANT: the same two lists as inventories in JSON Lines, with times;
# in variant 1 one file in a thousand has a new time at the same size as well.
compare_json_listing() {
    awk -v variant="$2" 'BEGIN {
        printf "{\"type\":\"inventory\",\"format\":1,\"created\":\"2026-12-08T06:43:18Z\",\"folders\":[{\"path\":\"/srv/archiv\",\"recursive\":true}],\"masks\":\"*.*\"}\n"
        for (d = 0; d < 10000; d++) {
            folder = sprintf("/srv/archiv/band%02d/ordner%04d", d % 97, d)
            printf "{\"type\":\"folder\",\"path\":\"%s\",\"mtime\":\"2026-12-01T10:00:00.000000000Z\"}\n", folder
            for (f = 0; f < 100; f++) {
                n = d * 100 + f; size = (n * 7919) % 1000003; second = n % 60
                if (variant == 1 && n % 1000 == 1) continue
                if (variant == 1 && n % 1000 == 2) size += 4096
                if (variant == 1 && n % 1000 == 4) second = (second + 1) % 60
                printf "{\"type\":\"file\",\"path\":\"%s/datei-%07d.dat\",\"size\":%d,\"mtime\":\"2026-12-01T10:00:%02d.%09dZ\"}\n", folder, n, size, second, (n * 7) % 1000000000
                if (variant == 1 && n % 1000 == 3) printf "{\"type\":\"file\",\"path\":\"%s/neu-%07d.dat\",\"size\":10,\"mtime\":\"2026-12-08T06:43:18.000000000Z\"}\n", folder, n
            }
        }
        printf "{\"type\":\"summary\",\"files\":1000000,\"folders\":10000,\"bytes\":0,\"complete\":true}\n"
    }' > "$1"
}

# compare_json_rounds: "--compare OLD --to NEW" on the two inventories; the median time.
compare_json_rounds() {
    local old=$work/compare-old.jsonl new=$work/compare-new.jsonl
    compare_json_listing "$old" 0
    compare_json_listing "$new" 1
    note "comparison of inventories: $(wc -l < "$old") and $(wc -l < "$new") lines, $("$cli" --compare "$old" --to "$new" | tail -n 1)"
    compare_json_ms=$(us_to_ms "$(median_us "$cli" --compare "$old" --to "$new")")
    figure compare_json_1m_ms "$compare_json_ms"
    rm -f "$old" "$new"
}

# compare_rounds: "--compare OLD --to NEW" on the two listings; the median time, and the peak
# memory and processor time of one run.
compare_rounds() {
    local old=$work/compare-old.txt new=$work/compare-new.txt
    compare_listing "$old" 0
    compare_listing "$new" 1
    note "comparison: two listings of $(wc -l < "$old") and $(wc -l < "$new") lines"
    compare_ms=$(us_to_ms "$(median_us "$cli" --compare "$old" --to "$new")")
    local usage
    # The lists differ, so the tool exits with 1.
    usage=$( { /usr/bin/time -f '%M %U %S' "$cli" --compare "$old" --to "$new" > /dev/null ||
        true; } 2>&1 | tail -n 1)
    compare_rss=$(calc "$(cut -d' ' -f1 <<< "$usage") / 1024" %.1f)
    figure compare_1m_ms "$compare_ms"
    # Processor time of one run, which a busy machine inflates less than the elapsed time.
    figure compare_1m_cpu_ms "$(calc "($(cut -d' ' -f2 <<< "$usage") + $(cut -d' ' -f3 <<< "$usage")) * 1000" %.0f)"
    figure compare_rss_mb "$compare_rss"
    rm -f "$old" "$new"
}

# ---- the run --------------------------------------------------------------------------------

cli_json_ratio=n/a cli_ext_ratio=n/a cli_simple_ratio=n/a gui_ratio=n/a gui_rss_ratio=n/a cancel_worst=n/a
gui_cli_ratio=n/a share_folders_ratio=n/a share_entries_ratio=n/a share_deep_ratio=n/a
cli_cold_ratio=n/a cli_cancel_worst=n/a gui_cancel_big=n/a cli_rss_big=n/a exclude_ratio=n/a
html_bytes_ratio=n/a html_open=n/a html_search=n/a
note "build $build ($(awk -F= '/^CMAKE_BUILD_TYPE:/ { print $2 }' "$build/CMakeCache.txt")), $(nproc) cores"
note "load at start: $(load_average)"
figure load_start "$(load_average | cut -d' ' -f1)"

find_run_us=0
gui_ready=no
if section t200k; then
    make_tree t200k 100 40 49
    t200=$tree_dir
    t200_entries=$(find "$t200" | wc -l)
    note "T200K: $t200_entries entries"

    if [ -x "$cli" ]; then
        cli_rounds "$t200" t200k
        cli_json_rounds "$t200"
        figure cli_json_vs_find "$cli_json_ratio"
        figure find_us_per_entry "$(calc "$find_run_us / $t200_entries")"
        figure cli_ext_vs_find "$cli_ext_ratio"
        figure cli_simple_vs_find "$cli_simple_ratio"
        if can_drop_caches; then
            cli_cold_rounds "$t200"
        else
            note "cli_ext_vs_find_cold skipped: dropping the page cache needs root and a writable /proc/sys/vm/drop_caches"
        fi
        cli_profile "$t200" "$t200_entries"
        cli_lines=$("$cli" "$t200" | wc -l)
        html_size "$t200" "$t200_entries"
    else
        note "$cli is missing: no command-line figures"
    fi

    if [ -x "$gui" ] && [ -x "$cli" ] && gui_rounds "$t200"; then
        gui_ready=yes
        figure gui_run_vs_find "$gui_ratio"
        figure gui_run_vs_cli "$gui_cli_ratio"
        if [ -n "${cli_lines:-}" ] && [ "$cli_lines" != "$gui_lines" ]; then
            note "WARNING: the result window had $gui_lines lines, the command-line listing $cli_lines"
        fi
    else
        note "no window figures: \"Start!\" does not lead to the result window in this build"
    fi
fi

if [ "${FI_BENCH_SKIP_T1M:-0}" != 1 ] && section t1m; then
    make_tree t1m 100 100 99
    t1m=$tree_dir
    if [ -x "$cli" ]; then
        cli_rounds "$t1m" t1m
        figure cli_ext_t1m_vs_find "$cli_ext_ratio"
        figure cli_simple_t1m_vs_find "$cli_simple_ratio"
        cli_ext_ratio=${figures[cli_ext_vs_find]:-n/a} cli_simple_ratio=${figures[cli_simple_vs_find]:-n/a}
    fi
    if [ "$gui_ready" = yes ] && gui_memory "$t1m"; then
        figure gui_rss_mb_per_1m_lines "$gui_rss_ratio"
        if gui_cancel "$t1m" "$t1m_search_ms"; then
            figure cancel_ms "$cancel_worst"
        fi
    fi
    browser_reason=$(browser_unavailable)
    if [ ! -x "$cli" ]; then
        note "$cli is missing: no snapshot figures"
    elif [ -n "$browser_reason" ]; then
        note "html_open_1m_ms and html_search_1m_ms not measured: $browser_reason"
    else
        html_browser "$t1m" || note "WARNING: the snapshot could not be opened in Chromium"
    fi
    remove_tree "$t1m"

    # One folder of a million files: cancelling inside it, and the tool's memory for it.
    make_tree big1m 1000000 1 0
    big_folder=$(find "$tree_dir" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    if [ -x "$cli" ]; then
        cli_cancel_big_folder "$big_folder"
        cli_rss_big_folder "$big_folder"
        figure cli_rss_mb_1m_folder "$cli_rss_big"
    fi
    if [ "$gui_ready" = yes ] && gui_cancel_big_folder "$big_folder"; then
        gui_cancel_big=$big_cancel_worst
    fi
    remove_tree "$tree_dir"
fi

compare_ms=n/a compare_rss=n/a compare_json_ms=n/a
if [ -x "$cli" ] && section compare; then
    compare_rounds
    compare_json_rounds
fi

if [ -x "$cli" ] && section exclude; then
    exclude_rounds
    figure exclude_vs_full "$exclude_ratio"
fi

share_reason=$(share_unavailable)
if ! section share; then
    :
elif [ ! -x "$cli" ]; then
    note "$cli is missing: no share figures"
elif [ -n "$share_reason" ]; then
    note "share_folders_vs_find, share_entries_vs_find and share_deep_vs_find skipped: $share_reason"
    share_folders_ratio=skipped share_entries_ratio=skipped share_deep_ratio=skipped
else
    # 1,020 folders of 5 files: names and attributes cached, as on NFS after READDIRPLUS.
    share_rounds share_folders 5 0 5 20 50
    share_folders_ratio=$share_ratio
    figure share_folders_vs_find "$share_folders_ratio"
    # 20 folders of 40 files, nothing cached: every entry costs its round trips.
    share_rounds share_entries 5 5 40 20 0
    share_entries_ratio=$share_ratio
    figure share_entries_vs_find "$share_entries_ratio"
    # A deep tree of 872 folders below its top, 2 x 3 x 4 x 5 x 6, with two files each, at 3 ms
    # a folder request, names and attributes cached: few folders at the top, many far below.
    share_rounds share_deep 3 0 2 2 3 4 5 6
    share_deep_ratio=$share_ratio
    figure share_deep_vs_find "$share_deep_ratio"
fi

# ---- checksums ------------------------------------------------------------------------------

# The files' digests against sha256sum (warm, 2 GB in 10 files and 20,000 files of 0.1-40 KB),
# the big files read cold against cat, the memory of that run, and how long a SIGINT in the
# middle of a 2 GB file takes to end it.
hash_rounds() {
    local big=$work/hash-big small=$work/hash-small i round
    mkdir -p "$big" "$small"
    for ((i = 0; i < 10; i++)); do head -c 200M /dev/urandom > "$big/f$i"; done
    /usr/bin/python3 -c '
import os, random, sys
random.seed(7)
for i in range(20000):
    folder = os.path.join(sys.argv[1], "d%d" % (i // 500))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%d" % i), "wb") as f:
        f.write(os.urandom(random.randint(100, 40000)))
' "$small"
    local cli_big sums_big cli_small sums_small
    cli_big=$(median_us "$cli" -q --format sums "$big")
    sums_big=$(median_us sha256sum "$big"/f*)
    cli_small=$(median_us "$cli" -q --format sums "$small")
    sums_small=$(median_us sh -c 'find "$1" -type f -print0 | xargs -0 sha256sum' - "$small")
    hash_big_ratio=$(calc "$cli_big / $sums_big")
    hash_small_ratio=$(calc "$cli_small / $sums_small")
    note "hash: 2 GB in $(us_to_ms "$cli_big") ms (sha256sum $(us_to_ms "$sums_big") ms), 20,000 files in $(us_to_ms "$cli_small") ms (sha256sum $(us_to_ms "$sums_small") ms)"
    hash_rss=$( { /usr/bin/time -f '%M' "$cli" -q --format sums "$big" > /dev/null; } 2>&1 | tail -n 1)
    hash_rss=$(calc "$hash_rss / 1024" %.1f)
    hash_cold_ratio=skipped
    if can_drop_caches; then
        local -a colds=() cats=()
        for ((round = 1; round <= runs; round++)); do
            drop_caches
            colds+=("$(elapsed_us "$cli" -q --format sums "$big")")
            drop_caches
            cats+=("$(elapsed_us cat "$big"/f*)")
        done
        hash_cold_ratio=$(calc "$(median "${colds[@]}") / $(median "${cats[@]}")")
    else
        note "hash_cold_vs_cat skipped: dropping the page cache needs root"
    fi
    rm -rf "$big" "$small"
}

# hash_cancel_ms: the time from a SIGINT in the middle of a 2 GB file to the tool's end, the
# worst of the rounds; gui_hash_cancel_ms: the time from when a click on "Abbrechen" was due, in
# the middle of the same file with "Prüfsummen (SHA-256)" ticked, to the end of the search (the
# wait for the next message pump included), the worst of the clicks after the warm-up.
hash_cancel_rounds() {
    local huge=$work/hash-huge round
    mkdir -p "$huge"
    truncate -s 2G "$huge/file"
    local -a cancels=()
    for ((round = 1; round <= runs; round++)); do
        "$cli" -q --format sums "$huge" > /dev/null &
        local pid=$! start
        sleep 0.4
        start=$EPOCHREALTIME
        kill -INT "$pid"
        wait "$pid" || true
        cancels+=("$(calc "(${EPOCHREALTIME/./} - ${start/./}) / 1000")")
    done
    hash_cancel=$(maximum "${cancels[@]}")
    note "hash cancel: ${cancels[*]} ms"
    local out
    if [ -x "$gui" ] && out=$(run_gui cancel-hash "$huge" 300 300 400 500 600 700 800); then
        mapfile -t cancels < <(awk '$1 == "cancel_due_ms" { print $2 }' <<< "$out" | tail -n +2)
        note "window cancel while reading: ${cancels[*]} ms"
        [ "${#cancels[@]}" -gt 0 ] && gui_hash_cancel=$(maximum "${cancels[@]}")
    fi
    rm -rf "$huge"
}

hash_big_ratio=n/a hash_small_ratio=n/a hash_cold_ratio=n/a hash_rss=n/a hash_cancel=n/a
gui_hash_cancel=n/a
if [ -x "$cli" ] && section hash; then
    hash_rounds
    figure hash_big_vs_sha256sum "$hash_big_ratio"
    figure hash_small_vs_sha256sum "$hash_small_ratio"
    figure hash_cold_vs_cat "$hash_cold_ratio"
    figure hash_rss_mb "$hash_rss"
fi
if [ -x "$cli" ] && { section hash || section hash_cancel; }; then
    hash_cancel_rounds
    figure hash_cancel_ms "$hash_cancel"
    figure gui_hash_cancel_ms "$gui_hash_cancel"
fi

note "load at end: $(load_average)"
figure load_end "$(load_average | cut -d' ' -f1)"

# The summary: each figure against its target.
summary="summary"
missed=()
check() {
    local name=$1 value=$2 target=$3
    # A section left out by FI_BENCH_ONLY measured nothing and misses nothing.
    [ -n "$only" ] && [ "$value" = n/a ] && return
    summary+=" $name=$value"
    if [ "$value" = skipped ]; then
        return
    elif [ "$value" = n/a ]; then
        missed+=("$name(not measured)")
    elif [ "$(calc "$value <= $target" %d)" != 1 ]; then
        missed+=("$name(>$target)")
    fi
}
check cli_ext_vs_find "$cli_ext_ratio" 0.65
check cli_simple_vs_find "$cli_simple_ratio" 0.3
check gui_run_vs_find "$gui_ratio" 0.62
check gui_run_vs_cli "$gui_cli_ratio" 1.1
check gui_rss_mb_per_1m_lines "$gui_rss_ratio" 100
check cancel_ms "$cancel_worst" 50
for name_value in "cli_ext_vs_find_cold $cli_cold_ratio" "cancel_ms_big_folder $cli_cancel_worst" \
    "gui_cancel_ms_big_folder $gui_cancel_big"; do
    [ -n "$only" ] && [ "${name_value#* }" = n/a ] && continue
    figure $name_value
done
check cli_ext_vs_find_cold "$cli_cold_ratio" 0.5
check cancel_ms_big_folder "$cli_cancel_worst" 20
check gui_cancel_ms_big_folder "$gui_cancel_big" 20
check cli_rss_mb_1m_folder "$cli_rss_big" 100
check compare_1m_ms "$compare_ms" 2000
check compare_rss_mb "$compare_rss" 300
check compare_json_1m_ms "$compare_json_ms" 1500
check cli_json_vs_find "$cli_json_ratio" 0.7
check html_bytes_per_entry "$html_bytes_ratio" 60
check html_open_1m_ms "$html_open" 3000
check html_search_1m_ms "$html_search" 300
check exclude_vs_full "$exclude_ratio" 0.15
check share_folders_vs_find "$share_folders_ratio" 0.12
check share_entries_vs_find "$share_entries_ratio" 0.25
check share_deep_vs_find "$share_deep_ratio" 0.06
check hash_big_vs_sha256sum "$hash_big_ratio" 0.15
check hash_small_vs_sha256sum "$hash_small_ratio" 0.3
check hash_cold_vs_cat "$hash_cold_ratio" 1.15
check hash_rss_mb "$hash_rss" 64
check hash_cancel_ms "$hash_cancel" 50
check gui_hash_cancel_ms "$gui_hash_cancel" 50
summary+=" load=${figures[load_start]}/${figures[load_end]}"
if [ ${#missed[@]} -eq 0 ]; then
    summary+=" targets=all-met"
else
    summary+=" missed=$(IFS=,; echo "${missed[*]}")"
fi
echo "$summary"
