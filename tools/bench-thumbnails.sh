#!/usr/bin/env bash
# Throughput of Stillforge over two corpora of movies, against ffmpeg taking the same frames.
#   tools/bench-thumbnails.sh             both corpora: short clips, and the long corpus with
#                                         its 30-minute clips and broken files
#   tools/bench-thumbnails.sh clips|long  one of them
#   tools/bench-thumbnails.sh restarts [MOVIES [LIMIT_MB]]
#                                         MOVIES (default 300) requests of one 720p clip, once
#                                         without and once with a memory limit (default 200
#                                         MiB) low enough to restart Stillforge: both runs
#                                         must answer every movie alike and leave the queue
#                                         file empty
# The corpora are made once in BUILD_DIR/bench-thumbnails/corpus (a few minutes: the long one
# holds 30-minute clips) and kept for later runs. Every movie has a key frame every 10 s, as
# camera and broadcast files have, so that an exact seek decodes up to 10 s of pictures.
# Figures only; nothing here is a test. The machine's load is printed before and after:
# other work running beside the benchmark slows Stillforge and ffmpeg alike, but not evenly.
set -euo pipefail
source "$(dirname "$0")/arch.sh"
root=$rv_root
build=$rv_build
bench="$build/bench-thumbnails"
corpus="$bench/corpus"
mode=${1:-all}
bash "$root/tools/build.sh" >/dev/null
mkdir -p "$corpus"

make_movie() {  # name size seconds sound(0/1) container-options...
  local name=$1 size=$2 seconds=$3 sound=$4; shift 4
  [[ -s "$corpus/$name" ]] && return 0
  local audio=()
  [[ $sound == 1 ]] && audio=(-f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds")
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=s=$size:r=25:d=$seconds" "${audio[@]}" \
         "$@" -g 250 "$corpus/$name.part"
  mv "$corpus/$name.part" "$corpus/$name"
}
# A 30-minute clip is its 2-minute clip played fifteen times, copied without re-encoding.
loop_movie() {  # name source
  [[ -s "$corpus/$1" ]] && return 0
  ffmpeg -hide_banner -loglevel error -y -stream_loop 14 -i "$corpus/$2" -c copy "$corpus/$1.part.${1##*.}"
  mv "$corpus/$1.part.${1##*.}" "$corpus/$1"
}
h264=(-c:v libx264 -preset ultrafast -crf 30 -pix_fmt yuv420p -c:a aac -b:a 64k -shortest -f mp4)
mpeg4=(-c:v mpeg4 -q:v 6 -c:a libmp3lame -b:a 64k -shortest -f avi)

echo "making the corpora in $corpus (kept for later runs)" >&2
# Short clips of 3 to 65 s; x264 is kept from adding key frames at scene cuts, so that they
# come exactly every 10 s.
clips=()
for size in 640x360 1280x720 1920x1080; do
  for seconds in 3 8 15 30 45 65; do
    sound=$(( seconds % 2 ))
    name="k-${size}-${seconds}s.mp4"
    make_movie "$name" "$size" "$seconds" "$sound" -x264-params scenecut=0 "${h264[@]}"
    clips+=("$name")
  done
done
for size in 640x360 1280x720 1920x1080; do
  for sound in 0 1; do
    kind=$([[ $sound == 1 ]] && echo sound || echo silent)
    for seconds in 10 120; do
      base="m-${size}-${seconds}s-$kind"
      make_movie "$base.mp4" "$size" "$seconds" "$sound" "${h264[@]}"
      make_movie "$base.avi" "$size" "$seconds" "$sound" "${mpeg4[@]}"
    done
    loop_movie "m-${size}-1800s-$kind.mp4" "m-${size}-120s-$kind.mp4"
    loop_movie "m-${size}-1800s-$kind.avi" "m-${size}-120s-$kind.avi"
  done
done
# The broken kinds: cut in half (index lost), bytes that only look like a movie, an empty
# file, and a file that is not there.
[[ -s "$corpus/bad-truncated.mp4" ]] ||
  head -c $(( $(stat -c %s "$corpus/m-1280x720-120s-sound.mp4") / 2 )) "$corpus/m-1280x720-120s-sound.mp4" \
    > "$corpus/bad-truncated.mp4"
[[ -s "$corpus/bad-random.avi" ]] || head -c 1048576 /dev/urandom > "$corpus/bad-random.avi"
: > "$corpus/bad-empty.mp4"
rm -f "$corpus/bad-missing.mp4"
mapfile -t long_good < <(cd "$corpus" && ls m-*.mp4 m-*.avi | sort)
bad=(bad-truncated.mp4 bad-random.avi bad-empty.mp4 bad-missing.mp4)

source "$root/tools/wine-env.sh" "$build" "$rv_arch"
maker_folder="Z:${build//\//\\}\\thumbnailer"  # kilnctl takes a folder by its backslashes

# A Thumbnail.ini holding one THUMBNAIL setting, in the UTF-16 the program writes.
write_ini() {  # data-folder key value
  python3 - "$1/Thumbnail.ini" "$2" "$3" <<'PY'
import sys
open(sys.argv[1], "wb").write(("[THUMBNAIL]\r\n%s=%s\r\n" % (sys.argv[2], sys.argv[3])).encode("utf-16"))
PY
}

# Stillforge: one request with every movie, as Reelvault sends after a load. Prints
# kilnctl's lines to OUT; the logs stay in DATA.
run_stillforge() {  # data out movie...
  local data=$1 out=$2; shift 2
  local args=() key=0 movie
  for movie in "$@"; do
    key=$((key + 1))
    if [[ $movie == /* ]]; then args+=("$key" "Z:$movie"); else args+=("$key" "Z:$corpus/$movie"); fi
  done
  local count=$#
  wine_session_start
  "$WINE" "$build/tests/kilnctl.exe" BenchKiln "Z:$data" start "$maker_folder" sleep 1000 \
       decode 1 "$count" "${args[@]}" responses $((count * 10)) 7200000 memory sleep 1000 queue close 30000 \
       2>/dev/null | tr -d '\r' > "$out"
  wine_session_stop
}

seconds_of() { awk -v p="$1" 'BEGIN { printf "%.3f", p / 10000000 }'; }

# ffmpeg on the positions Stillforge planned: all ten in one process per movie, or one
# process per frame; exact (accurate) or key-frame seeking. Prints the seconds taken.
run_ffmpeg() {  # stillforge-output per-movie(1)/per-frame(0) accurate(1/0) movie...
  local responses=$1 per_movie=$2 accurate=$3; shift 3
  local seek=() key=0 movie positions start end
  [[ $accurate == 0 ]] && seek=(-noaccurate_seek)
  mkdir -p "$bench/ff"
  [[ $per_movie == 0 ]] && : > "$bench/ff/frames-$accurate.txt"
  start=$(date +%s.%N)
  for movie in "$@"; do
    key=$((key + 1))
    positions=$(grep "^response id=$key .*decode_count=0 " "$responses" | sed 's/.* at=//' | tr ',' ' ')
    [[ -z $positions ]] && continue
    local i=0 inputs=() outputs=() position
    for position in $positions; do
      if [[ $per_movie == 1 ]]; then
        inputs+=("${seek[@]}" -ss "$(seconds_of "$position")" -i "$corpus/$movie")
        outputs+=(-map "$i:v" -frames:v 1 -vf scale=256:144 "$bench/ff/$i.jpg")
      else
        local one_start one_end
        one_start=$(date +%s%N)
        ffmpeg -hide_banner -loglevel error -y "${seek[@]}" -ss "$(seconds_of "$position")" -i "$corpus/$movie" \
               -frames:v 1 -vf scale=256:144 "$bench/ff/$i.jpg" || true
        one_end=$(date +%s%N)
        echo $(( (one_end - one_start) / 1000000 )) >> "$bench/ff/frames-$accurate.txt"
      fi
      i=$((i + 1))
    done
    [[ $per_movie == 1 ]] && { ffmpeg -hide_banner -loglevel error -y "${inputs[@]}" "${outputs[@]}" || true; }
  done
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f\n", b - a }'
}

report() {  # label stillforge-output kiln_log good-count ffmpeg-times movie...
  python3 - "$@" <<'PY'
import re, sys, datetime
label, out_path, log_path, good_count, ff_path = sys.argv[1:6]
ff_dir = ff_path.rsplit("/", 1)[0] + "/ff"
names = sys.argv[6:]; good_count = int(good_count)
lines = open(out_path).read().splitlines()
ff = dict(line.split() for line in open(ff_path).read().splitlines())
resp = []
for line in lines:
    m = re.match(r"response id=(\d+) error=(\d+) decode_count=(\d+) .* ms=(\d+)", line)
    if m: resp.append(tuple(int(x) for x in m.groups()))
print(f"== {label}: {len(names)} movies ({good_count} good, {len(names) - good_count} broken), {len(resp)} responses")
if not resp:
    print("no responses:"); print("\n".join(lines)); sys.exit(0)
by_movie = {}
for (key, err, left, ms) in resp: by_movie.setdefault(key, []).append((err, left, ms))
first_latency, frame_gaps = {}, []
for idx in range(1, len(resp)):
    gap = resp[idx][3] - resp[idx - 1][3]
    if resp[idx - 1][0] != resp[idx][0]: first_latency[resp[idx][0]] = gap
    elif resp[idx][0] <= good_count: frame_gaps.append(gap)
def pct(values, p):
    if not values: return 0
    values = sorted(values); return values[min(len(values) - 1, int(round(p / 100 * (len(values) - 1))))]
good_end = max(v[-1][2] for k, v in by_movie.items() if k <= good_count) / 1000.0
span = good_end - resp[0][3] / 1000.0
good_frames = sum(len(v) for k, v in by_movie.items() if k <= good_count)
print(f"Stillforge: {good_end:.1f} s from its start to the last frame of the good movies "
      f"({good_frames / good_end:.1f} frames/s); {span:.1f} s from the first response "
      "(leaving out the start and the first open)")
print(f"  per-frame latency (between responses of one movie): p50 {pct(frame_gaps, 50)} ms, "
      f"p95 {pct(frame_gaps, 95)} ms, max {max(frame_gaps or [0])} ms")
firsts = [v for k, v in first_latency.items() if k <= good_count]
print(f"  time to a movie's first response (open included): p50 {pct(firsts, 50)} ms, "
      f"p95 {pct(firsts, 95)} ms, max {max(firsts or [0])} ms")
for key in range(good_count + 1, len(names) + 1):
    v = by_movie.get(key, [])
    if not v: print(f"  {names[key - 1]}: no response"); continue
    prev_end = max(x[2] for k, w in by_movie.items() if k < key for x in w)
    print(f"  gives up on {names[key - 1]} after {v[-1][2] - prev_end} ms, {len(v)} responses, error flag {v[-1][0]}")
for line in lines:
    m = re.match(r"memory pid=\d+ private=(\d+) peak_private=(\d+) working_set=\d+ peak_working_set=(\d+)", line)
    if m: print(f"  private memory at the end {int(m.group(1)) / 1048576:.1f} MiB, peak {int(m.group(2)) / 1048576:.1f} MiB; "
                f"peak working set {int(m.group(3)) / 1048576:.1f} MiB")

# Stillforge's own log: where the time goes, and the private bytes before each movie.
try:
    log = open(log_path, "rb").read().decode("utf-16")
except OSError:
    log = ""
stamp = re.compile(r"^(\d{4})/(\d\d)/(\d\d) (\d\d):(\d\d):(\d\d)\.(\d{3}) : (.*)$")
starts = [("(file)", "open (graph build)"), ("decode-call ", "grab (seek, decode, conversion)"),
          ("draw-start ", "draw"), ("save-start ", "save (encode and write)"),
          ("response-send-start ", "reply")]
ends = ["decode-plan duration=", "decode-return ", "draw-end ", "save-end ", "response-send-end "]
spent, state, prev, memory = {}, "other (logs, settings, plan, queue)", None, []
for raw in log.splitlines():
    m = stamp.match(raw)
    if not m: continue
    y, mo, d, h, mi, s, ms, text = m.groups()
    t = datetime.datetime(int(y), int(mo), int(d), int(h), int(mi), int(s), int(ms) * 1000).timestamp()
    if "★アプリ開始" in text: prev = None
    if prev is not None: spent[state] = spent.get(state, 0.0) + (t - prev)
    prev = t
    for marker, name in starts:
        if marker in text: state = name
    if any(marker in text for marker in ends): state = "other (logs, settings, plan, queue)"
    mm = re.search(r"\(memory\) private_mb=(\d+)", text)
    if mm: memory.append(int(mm.group(1)))
total = sum(spent.values())
if total > 0:
    print("  where Stillforge's time goes: " + ", ".join(
        f"{name} {100 * value / total:.0f} %" for name, value in sorted(spent.items(), key=lambda kv: -kv[1])))
if len(memory) >= 2:
    print(f"  private memory before the first movie {memory[0]} MiB, before the last {memory[-1]} MiB: "
          f"{(memory[-1] - memory[0]) / (len(memory) - 1):.2f} MiB a movie")
for key, text in (("movie-1", "ffmpeg once per movie, exact seek"), ("movie-0", "ffmpeg once per movie, key-frame seek"),
                  ("frame-1", "ffmpeg once per frame, exact seek"), ("frame-0", "ffmpeg once per frame, key-frame seek")):
    if key not in ff: continue
    t = float(ff[key])
    print(f"{text}: {t:.1f} s; Stillforge/ffmpeg = {good_end / t:.2f} with its start, {span / t:.2f} without")
# One ffmpeg process per frame gives each frame's own time: start-up, open, seek and the decode
# from the key frame before the position. With key-frame seeking the decode stops at that key
# frame, so the difference between the two is what taking the exact frame costs.
for accurate, text in (("1", "exact seek"), ("0", "key-frame seek")):
    try: times = [int(x) for x in open(f"{ff_dir}/frames-{accurate}.txt").read().split()]
    except OSError: continue
    print(f"  ffmpeg per frame, {text}: p50 {pct(times, 50)} ms, p95 {pct(times, 95)} ms, max {max(times or [0])} ms")
PY
}

loadavg() { cut -d' ' -f1-3 /proc/loadavg; }

bench_corpus() {  # label good-count movie...
  local label=$1 good_count=$2; shift 2
  local data="$bench/data-$label" out="$bench/stillforge-$label.txt" times="$bench/ffmpeg-$label.txt"
  rm -rf "$data" && mkdir -p "$data"
  echo "Stillforge over the $label corpus: $# movies" >&2
  run_stillforge "$data" "$out" "$@"
  local good=("${@:1:$good_count}")
  : > "$times"
  for per_movie in 1 0; do
    for accurate in 1 0; do
      echo "ffmpeg over the $label corpus: $([[ $per_movie == 1 ]] && echo per movie || echo per frame)," \
           "$([[ $accurate == 1 ]] && echo exact || echo key-frame) seek" >&2
      echo "$([[ $per_movie == 1 ]] && echo movie || echo frame)-$accurate $(run_ffmpeg "$out" "$per_movie" "$accurate" "${good[@]}")" >> "$times"
    done
  done
  report "$label" "$out" "$data/kiln_log.txt" "$good_count" "$times" "$@"
}

# The same clip asked for MOVIES times, once as it is and once under a low memory limit.
bench_restarts() {  # movies limit-mb
  local movies=$1 limit=$2 i list=()
  for ((i = 0; i < movies; i++)); do list+=("m-1280x720-10s-sound.mp4"); done
  for run in plain limited; do
    local data="$bench/data-restarts-$run"
    rm -rf "$data" && mkdir -p "$data"
    [[ $run == limited ]] && write_ini "$data" decode_restart_private_mb "$limit"
    echo "Stillforge: $movies movies at 720p, $run" >&2
    run_stillforge "$data" "$bench/stillforge-restarts-$run.txt" "${list[@]}"
  done
  python3 - "$bench/stillforge-restarts-plain.txt" "$bench/stillforge-restarts-limited.txt" \
            "$bench/data-restarts-limited/kiln_dec_list.txt" "$movies" "$limit" <<'PY'
import re, sys
def answers(path):
    out = {}
    for line in open(path).read().splitlines():
        m = re.match(r"response id=(\d+) error=(\d+) decode_count=(\d+) request_count=\d+ duration=(\d+) positions=\d+ ms=\d+ at=(.*)", line)
        if m: out.setdefault(int(m.group(1)), []).append((m.group(2), m.group(3), m.group(4), m.group(5)))
    queue = [line for line in open(path).read().splitlines() if line.startswith("queue count=")]
    return out, queue
plain, plain_queue = answers(sys.argv[1]); limited, limited_queue = answers(sys.argv[2])
movies = int(sys.argv[4])
try: restarts = open(sys.argv[3], "rb").read().decode("utf-16").count("(memory) restart")
except OSError: restarts = 0
print(f"== restarts: {movies} movies at 720p, limit {sys.argv[5]} MiB: {restarts} restarts for memory")
print(f"  answered: {len(plain)} movies without the limit, {len(limited)} with it; "
      f"the same answers: {'yes' if plain == limited and len(plain) == movies else 'NO'}")
print(f"  queue file at the end: {plain_queue[-1] if plain_queue else '?'} / {limited_queue[-1] if limited_queue else '?'}")
PY
}

echo "load average before: $(loadavg)"
case "$mode" in
  clips) bench_corpus clips "${#clips[@]}" "${clips[@]}" ;;
  long) bench_corpus long "${#long_good[@]}" "${long_good[@]}" "${bad[@]}" ;;
  restarts) bench_restarts "${2:-300}" "${3:-200}" ;;
  all)
    bench_corpus clips "${#clips[@]}" "${clips[@]}"
    bench_corpus long "${#long_good[@]}" "${long_good[@]}" "${bad[@]}" ;;
  *) echo "usage: tools/bench-thumbnails.sh [all|clips|long|restarts [MOVIES [LIMIT_MB]]]" >&2; exit 2 ;;
esac
echo "load average after: $(loadavg)"
