#!/usr/bin/env bash
# Throughput of Stillforge over a corpus of movies, against ffmpeg taking the same frames.
#   tools/bench-thumbnails.sh
# The corpus is made once in BUILD_DIR/bench-thumbnails/corpus (a few minutes: it holds
# 30-minute clips) and kept for later runs. Figures only; nothing here is a test.
set -euo pipefail
source "$(dirname "$0")/arch.sh"
root=$rv_root
build=$rv_build
bench="$build/bench-thumbnails"
corpus="$bench/corpus"
bash "$root/tools/build.sh" >/dev/null
mkdir -p "$corpus"

# Moving pictures with a key frame every 10 s, as camera and broadcast files have.
make_movie() {  # name size seconds sound(0/1) container-options...
  local name=$1 size=$2 seconds=$3 sound=$4; shift 4
  [[ -s "$corpus/$name" ]] && return 0
  local audio=()
  [[ $sound == 1 ]] && audio=(-f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds")
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=s=$size:r=25:d=$seconds" "${audio[@]}" \
         "$@" -g 250 "$corpus/$name.part"
  mv "$corpus/$name.part" "$corpus/$name"
}

echo "making the corpus in $corpus (kept for later runs)" >&2
# A 30-minute clip is its 2-minute clip played fifteen times, copied without re-encoding.
loop_movie() {  # name source
  [[ -s "$corpus/$1" ]] && return 0
  ffmpeg -hide_banner -loglevel error -y -stream_loop 14 -i "$corpus/$2" -c copy "$corpus/$1.part.${1##*.}"
  mv "$corpus/$1.part.${1##*.}" "$corpus/$1"
}
for size in 640x360 1280x720 1920x1080; do
  for sound in 0 1; do
    kind=$([[ $sound == 1 ]] && echo sound || echo silent)
    for seconds in 10 120; do
      base="m-${size}-${seconds}s-$kind"
      make_movie "$base.mp4" "$size" "$seconds" "$sound" -c:v libx264 -preset ultrafast -crf 30 -pix_fmt yuv420p \
                 -c:a aac -b:a 64k -shortest -f mp4
      make_movie "$base.avi" "$size" "$seconds" "$sound" -c:v mpeg4 -q:v 6 -c:a libmp3lame -b:a 64k -shortest -f avi
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

mapfile -t good < <(cd "$corpus" && ls m-*.mp4 m-*.avi | sort)
bad=(bad-truncated.mp4 bad-random.avi bad-empty.mp4 bad-missing.mp4)
movies=("${good[@]}" "${bad[@]}")

# Stillforge: one request with every movie, as Reelvault sends after a load.
data="$bench/data"
rm -rf "$data" && mkdir -p "$data"
source "$root/tools/wine-env.sh" "$build" "$rv_arch"
trap wine_session_stop EXIT
wine_session_start
args=()
key=0
for movie in "${movies[@]}"; do
  key=$((key + 1))
  args+=("$key" "Z:$corpus/$movie")
done
count=${#movies[@]}
echo "Stillforge: $count movies" >&2
maker_folder="Z:${build//\//\\}\\thumbnailer"  # kilnctl takes a folder by its backslashes
"$WINE" "$build/tests/kilnctl.exe" BenchKiln "Z:$data" start "$maker_folder" sleep 1000 \
     decode 1 "$count" "${args[@]}" responses $((count * 10)) 3600000 memory close 30000 \
     2>/dev/null | tr -d '\r' > "$bench/stillforge.txt"
wine_session_stop
trap - EXIT

# ffmpeg: the same ten positions of every good movie, one process per movie, both seeks.
run_ffmpeg() {  # accurate(0/1) movie positions...
  local accurate=$1 movie=$2; shift 2
  local seek=()
  [[ $accurate == 0 ]] && seek=(-noaccurate_seek)
  local i=0 inputs=() outputs=() seconds
  for position in "$@"; do
    seconds=$(awk -v p="$position" 'BEGIN { printf "%.3f", p / 10000000 }')
    inputs+=("${seek[@]}" -ss "$seconds" -i "$corpus/$movie")
    outputs+=(-map "$i:v" -frames:v 1 -vf scale=256:144 "$bench/ff/$i.jpg")
    i=$((i + 1))
  done
  ffmpeg -hide_banner -loglevel error -y "${inputs[@]}" "${outputs[@]}"
}
mkdir -p "$bench/ff"
for accurate in 1 0; do
  start=$(date +%s.%N)
  key=0
  for movie in "${good[@]}"; do
    key=$((key + 1))
    positions=$(grep "^response id=$key .*decode_count=0 " "$bench/stillforge.txt" | sed 's/.* at=//' | tr ',' ' ')
    [[ -z $positions ]] && continue
    # shellcheck disable=SC2086
    run_ffmpeg "$accurate" "$movie" $positions || true
  done
  end=$(date +%s.%N)
  echo "$accurate $(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" >> "$bench/ffmpeg-times.txt.new"
done
mv "$bench/ffmpeg-times.txt.new" "$bench/ffmpeg-times.txt"

python3 - "$bench/stillforge.txt" "$bench/ffmpeg-times.txt" "${#good[@]}" "${movies[@]}" <<'PY'
import re, sys
lines = open(sys.argv[1]).read().splitlines()
ff = dict(line.split() for line in open(sys.argv[2]).read().splitlines())
good_count = int(sys.argv[3]); names = sys.argv[4:]
resp = []
for line in lines:
    m = re.match(r"response id=(\d+) error=(\d+) decode_count=(\d+) .* ms=(\d+)", line)
    if m: resp.append(tuple(int(x) for x in m.groups()))
if not resp:
    print("no responses:"); print("\n".join(lines)); sys.exit(1)
# Times are kilnctl's milliseconds; the span runs from the first response of the first
# movie to the last response of the last good movie (the first open is in neither).
by_movie = {}
prev = None
first_latency = {}
frame_gaps = []
for (key, err, left, ms) in resp:
    by_movie.setdefault(key, []).append((err, left, ms))
for idx, (key, err, left, ms) in enumerate(resp):
    gap = ms - resp[idx - 1][3] if idx else None
    if gap is None: continue
    if resp[idx - 1][0] != key: first_latency[key] = gap
    elif key <= good_count: frame_gaps.append(gap)
start = resp[0][3]; end = resp[-1][3]
good_frames = sum(len(v) for k, v in by_movie.items() if k <= good_count)
good_end = max(v[-1][2] for k, v in by_movie.items() if k <= good_count)
def pct(values, p):
    values = sorted(values); return values[min(len(values) - 1, int(round(p / 100 * (len(values) - 1))))]
secs = (good_end - start) / 1000.0
print(f"movies: {len(names)} ({good_count} good, {len(names) - good_count} broken); responses {len(resp)}")
print(f"good movies: {good_count / secs:.2f} movies/s, {good_frames / secs:.1f} frames/s over {secs:.1f} s "
      "(from the first response to the last of the good movies)")
print(f"per-frame latency (between responses of one movie): p50 {pct(frame_gaps, 50)} ms, "
      f"p95 {pct(frame_gaps, 95)} ms, max {max(frame_gaps)} ms")
firsts = [v for k, v in first_latency.items() if k <= good_count]
print(f"time to a movie's first response: p50 {pct(firsts, 50)} ms, p95 {pct(firsts, 95)} ms, max {max(firsts)} ms")
for key in range(good_count + 1, len(names) + 1):
    v = by_movie.get(key, [])
    if not v: print(f"  {names[key - 1]}: no response"); continue
    prev_end = max(x[2] for k, w in by_movie.items() if k < key for x in w)
    print(f"give up on {names[key - 1]}: {v[-1][2] - prev_end} ms for {len(v)} responses, error flag {v[-1][0]}")
for line in lines:
    m = re.match(r"memory pid=\d+ private=\d+ peak_private=(\d+) working_set=\d+ peak_working_set=(\d+)", line)
    if m: print(f"peak private memory {int(m.group(1)) / 1048576:.1f} MiB, peak working set {int(m.group(2)) / 1048576:.1f} MiB")
for accurate, label in (("0", "key-frame seek"), ("1", "exact seek")):
    t = float(ff[accurate])
    print(f"ffmpeg {label}: {t:.1f} s for the good movies; Stillforge/ffmpeg = {secs / t:.2f}")
PY
