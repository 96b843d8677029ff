#!/usr/bin/env bash
# Times quireon2-print making a printable PDF from a 4 MB text, against the surface's own floor
# (the same lines drawn with no layout work), and writes the figures into the section
# "Terminal command" of bench/RESULTS.md.
#
#   bench/run_benchmarks.sh            (env: RUNS=5, BENCH_BUILD_DIR=<root>/build-bench,
#                                       TEXT_BYTES=4194304)
#
# Needs: hyperfine time poppler-utils python3 (installed here with apt-get when missing).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD_DIR:-$root/build-bench}
runs=${RUNS:-5}
size=${TEXT_BYTES:-4194304}  # a smaller size only to try the script out
results=$root/bench/RESULTS.md

packages=(hyperfine time poppler-utils python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "bench: installing ${missing[*]}" >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

echo "bench: building release binaries in $build" >&2
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quireon2-print q2_make_text q2_cli_floor -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

echo "bench: making the texts" >&2
"$build/q2_make_text" "$size" text4.txt
"$build/q2_make_text" $((size * 4)) text16.txt
for n in 1 100 2000; do "$build/q2_make_text" "pages:$n" "pages$n.txt"; done
# The whole text prints: the program's page limit is raised for the benchmark.
printf '[Quireon2]\nMaxPages= 32766\n' >bench.ini

q2="$build/quireon2-print --settings bench.ini -q -y -P 'Print to PDF'"

# The surface's floor: the very lines of each job drawn into their cells, no layout work.
"$build/q2_cli_floor" prepare text4.txt booklet bench.ini floor-booklet.lines floor-booklet.pages
"$build/q2_cli_floor" prepare text4.txt 2 bench.ini floor-2up.lines floor-2up.pages

names=(
  "quireon2-print booklet (mode 2, one PDF)"
  "quireon2-print 2 up"
  "surface floor, booklet lines"
  "surface floor, 2-up lines"
)
outputs=(q2-booklet.pdf q2-2up.pdf floor-booklet.pdf floor-2up.pdf)
commands=(
  "$q2 -o q2-booklet.pdf -l booklet -m duplex text4.txt"
  "$q2 -o q2-2up.pdf -l 2 text4.txt"
  "$build/q2_cli_floor draw floor-booklet.lines floor-booklet.pages floor-booklet.pdf"
  "$build/q2_cli_floor draw floor-2up.lines floor-2up.pages floor-2up.pdf"
)

echo "bench: timing ${#commands[@]} commands, $runs runs each" >&2
hyperfine_args=(--style none --warmup 1 --runs "$runs" --export-json times.json)
for i in "${!commands[@]}"; do hyperfine_args+=(-n "${names[$i]}" "${commands[$i]}"); done
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
hyperfine "${hyperfine_args[@]}" >/dev/null

# Peak memory (the largest process of a pipeline) and the pages of each PDF.
: >memory.txt
for i in "${!commands[@]}"; do
  /usr/bin/time -v bash -c "${commands[$i]}" 2>time.txt >/dev/null
  kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.txt)
  pages=$(pdfinfo "${outputs[$i]}" 2>/dev/null | sed -n 's/^Pages: *//p')
  echo "$i $kb ${pages:-?}" >>memory.txt
done

# Peak memory of quireon2-print on 4 MB and 16 MB, and its time on small texts.
: >scaling.txt
for text in text4.txt text16.txt; do
  for layout in booklet 2; do
    /usr/bin/time -v bash -c "$q2 -o scale.pdf -l $layout -m duplex $text" 2>time.txt >/dev/null
    kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.txt)
    echo "$text $layout $kb" >>scaling.txt
  done
done
hyperfine --style none --warmup 1 --runs "$runs" --export-json small.json \
  -n "1 page" "$q2 -o s1.pdf -l booklet -m duplex pages1.txt" \
  -n "100 pages" "$q2 -o s100.pdf -l booklet -m duplex pages100.txt" \
  -n "2000 pages" "$q2 -o s2000.pdf -l booklet -m duplex pages2000.txt" >/dev/null
for n in 1 100 2000; do
  echo "$n $(pdfinfo "s$n.pdf" | sed -n 's/^Pages: *//p')" >>small-pages.txt
done

machine="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1), $(nproc) cores, \
$(awk '/MemTotal/ {printf "%.1f GB", $2 / 1048576}' /proc/meminfo), $(uname -sr)"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

python3 - "$results" "$machine" "$load_before" "$load_after" "$runs" <<'PY'
import json, re, sys, datetime
results, machine, load_before, load_after, runs = sys.argv[1:6]
times = json.load(open("times.json"))["results"]
memory = {}
for line in open("memory.txt"):
    i, kb, pages = line.split()
    memory[int(i)] = (int(kb), pages)
scaling = [line.split() for line in open("scaling.txt")]
small = json.load(open("small.json"))["results"]
small_pages = dict(line.split() for line in open("small-pages.txt"))

def median(r): return r["median"]
booklet, twoup, floor_b, floor_2 = range(4)
base = {i: (booklet if i in (booklet, floor_b) else twoup) for i in range(4)}
rows = []
for i, r in enumerate(times):
    kb, pages = memory[i]
    ratio = median(r) / median(times[base[i]])
    rows.append("| %s | %.2f s | %.2f s | %.2f | %.1f MB | %s |" % (
        r["command"].replace("|", "\\|"), median(r), r["user"] + r["system"], ratio, kb / 1024, pages))

def verdict(ok): return "met" if ok else "MISSED"
fb_ratio = median(times[booklet]) / median(times[floor_b])
f2_ratio = median(times[twoup]) / median(times[floor_2])
mem = {(t, l): int(kb) for t, l, kb in scaling}
mem_ok = all(abs(mem[("text16.txt", l)] - mem[("text4.txt", l)]) <= 0.1 * mem[("text4.txt", l)]
             for l in ("booklet", "2"))

section = []
section.append("## Terminal command")
section.append("")
section.append("`bench/run_benchmarks.sh`: release build; `q2_make_text` makes a deterministic 4 MB "
               "English-like text (lines over 120 characters, tabs, form feeds, a few UTF-8 words); "
               "each command makes a printable PDF of the whole text (the program's `MaxPages` "
               "raised to 32766 by a bench settings file). Times are hyperfine medians of %s runs "
               "after one warm-up, all in one run; CPU is user + system; the ratio is to "
               "quireon2-print with the same layout (booklet rows to the booklet, 2-up rows to "
               "2 up). Peak memory is the largest process of the command (`/usr/bin/time -v`), "
               "pages from `pdfinfo`. The \"surface floor\" draws the very lines of the job into "
               "their cells on \"Print to PDF\" with no layout work (`bench/cli_floor.cpp`)." % runs)
section.append("")
section.append("Machine: %s. Run: %s UTC. Load average before / after: %s / %s (the machine is "
               "shared; wall times suffer most from other work, CPU times less)." % (
                   machine, datetime.datetime.utcnow().strftime("%Y-%m-%d %H:%M"),
                   load_before, load_after))
section.append("")
section.append("| Command (4 MB text) | Median | CPU | Ratio | Peak memory | PDF pages |")
section.append("|---|---|---|---|---|---|")
section.extend(rows)
section.append("")
section.append("Targets:")
section.append("- within 1.5 times the surface's floor: booklet %.2f, 2 up %.2f, %s." % (
    fb_ratio, f2_ratio, verdict(fb_ratio <= 1.5 and f2_ratio <= 1.5)))
section.append("- peak memory the same for 4 MB and 16 MB: booklet %.1f / %.1f MB, 2 up %.1f / %.1f MB, %s." % (
    mem[("text4.txt", "booklet")] / 1024, mem[("text16.txt", "booklet")] / 1024,
    mem[("text4.txt", "2")] / 1024, mem[("text16.txt", "2")] / 1024, verdict(mem_ok)))
section.append("")
section.append("quireon2-print booklet (mode 2) on the small texts, median: " + ", ".join(
    "%s %.3f s (%s PDF pages)" % (r["command"], median(r), small_pages[r["command"].split()[0]])
    for r in small) + ".")
section.append("")

text = open(results).read() if __import__("os").path.exists(results) else "# Benchmark results\n"
heading = "## Terminal command"
start = text.find(heading)
if start < 0:
    text = text.rstrip("\n") + "\n\n" + "\n".join(section)
else:
    nxt = text.find("\n## ", start + len(heading))
    rest = "" if nxt < 0 else text[nxt + 1:]
    text = text[:start] + "\n".join(section) + ("\n" + rest if rest else "")
open(results, "w").write(text)
PY
echo "bench: results written to $results" >&2
