#!/usr/bin/env bash
# Makes the development set of composed music for key detection (see make_realdev.py):
# MMA grooves under chord charts, rendered with the FluidR3 General-MIDI soundfont to
# 44.1 kHz 16-bit stereo WAV, peak-normalised to -1 dBFS.
# Usage: make-realdev.sh OUTDIR [JOBS]       (writes OUTDIR/{mma,midi,wav}, labels.csv)
# Needs: apt-get install mma fluidsynth fluid-soundfont-gm sox
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:?usage: make-realdev.sh OUTDIR [JOBS]}
jobs=${2:-2}
for tool in mma fluidsynth sox; do
  command -v "$tool" >/dev/null || { echo "missing $tool: apt-get install mma fluidsynth fluid-soundfont-gm sox" >&2; exit 1; }
done
mkdir -p "$out"; out=$(cd "$out" && pwd)
rm -rf "$out/mma" "$out/midi" "$out/wav" "$out/labels.csv"
python3 "$here/make_realdev.py" "$out" | tee "$out/summary.txt"
mkdir -p "$out/wav"

render_one() {
  local id=$1 raw
  raw=$(mktemp --suffix=.wav)
  fluidsynth -ni -g 0.6 -F "$raw" -r 44100 -T wav -O float /usr/share/sounds/sf2/FluidR3_GM.sf2 \
    "$out/midi/$id.mid" >/dev/null 2>&1
  # Peak to -1 dBFS after a 20 Hz high-pass (some presets carry a DC offset).
  sox -D -V1 "$raw" -b 16 "$out/wav/$id.wav" highpass 20 gain -n -1
  rm -f "$raw"
}
export -f render_one; export out
tail -n +2 "$out/labels.csv" | cut -d, -f1 | xargs -P "$jobs" -I{} bash -c 'render_one {}'
echo "rendered $(ls "$out/wav" | wc -l) pieces into $out/wav"
