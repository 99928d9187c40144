#!/usr/bin/env python3
"""Development set of composed music for key detection: the chord charts in charts.py,
each played twice by MMA's accompaniment grooves (once in its written key, once moved to
another key with another groove), with an MMA aria line as the melody, rendered later with
a General-MIDI soundfont (make-realdev.sh).

Every piece is labelled from two independent signals read back from the MIDI file MMA
wrote: the key-signature event (sharps/flats and mode) and the music's own ending (the
lowest note of the final chord and that chord's third). Pieces whose two signals disagree
are dropped and listed.

Usage: make_realdev.py OUTDIR      (writes OUTDIR/mma, OUTDIR/midi, OUTDIR/labels.csv)
"""
import csv
import math
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from charts import MAJOR, MINOR  # noqa: E402

NOTE = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
MAJOR_NAMES = ["C", "Db", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"]
MINOR_NAMES = ["C", "C#", "D", "Eb", "E", "F", "F#", "G", "G#", "A", "Bb", "B"]

# Groove families: (groove, groove for the second half, ending groove, beats per bar).
FAMILIES = {
	"swing": ("Swing", "SwingWalk", "SwingEnd", 4),
	"easyswing": ("EasySwing", "EasySwingWalk", "EasySwingEnd", 4),
	"dixie": ("Dixie", "Dixie2", "DixieEnd", 4),
	"foxtrot": ("Foxtrot", "FoxTrotPlus", "FoxTrotEnd", 4),
	"folk": ("Folk", "FolkWalk", "FolkEnd", 4),
	"hymn": ("Hymn", "HymnWalk", "HymnEnd", 4),
	"polka": ("Polka", "Polka1", "PolkaEnd", 4),
	"march": ("March", "March1", "MarchEnd", 4),
	"spiritual": ("SlowSpiritual", "SlowSpiritual", "SlowSpiritualEnd", 4),
	"slowblues": ("SlowBlues", "SlowBluesWalk4", "SlowBluesEnd", 4),
	"blues": ("Blues", "Blues1", "BluesEnd", 4),
	"shuffle": ("ShuffleBoggie", "ShuffleBoggie", "ShuffleBoggieEnd", 4),
	"tango": ("Tango", "Tango1", "TangoEnd", 4),
	"arp44": ("Arpeggio4", "Arpeggio48", None, 4),
	"stringballad": ("StringBallad", "StringBalladPlus", "StringBalladEnd", 4),
	"pianoballad": ("PianoBallad", "PianoBallad1", "PianoBalladEnd", 4),
	"ballad": ("Ballad", "Ballad1", "BalladEnd", 4),
	"8beat": ("8Beat", "8BeatPlus", "8BeatEnd", 4),
	"bluegrass": ("BlueGrass", "BlueGrassClap", "BlueGrassEnd", 4),
	"ragtime": ("RagTime", "RagtimePlus", "RagtimeEnd", 4),
	"bossa": ("BossaNova", "BossaNovaPlus", "BossaNovaEnd", 4),
	"rockballad": ("RockBallad", "RockBallad1", "RockBalladEnd", 4),
	"softrock": ("SoftRock", "SoftRock1", "SoftRockEnd", 4),
	"popballad": ("PopBallad", "PopBallad1", "PopBalladEnd", 4),
	"beguine": ("Beguine", "Beguine1", "BeguineEnd", 4),
	"rhumba": ("Rhumba", "Rhumba1", "RhumbaEnd", 4),
	"waltz": ("Waltz", "WaltzWalk", "WaltzEnd", 3),
	"countrywaltz": ("CountryWaltz", "CountryWaltz1", "CountryWaltzEnd", 3),
	"arpwaltz": ("ArpeggioWaltz", "ArpeggioWaltz8", None, 3),
	"hymn3": ("Waltz1Sus", "WaltzSus", "WaltzEnd", 3),
	"vienna": ("VieneseWaltz", "VieneseWaltz1", "VieneseWaltzEnd", 3),
	"jazzwaltz": ("JazzWaltz", "JazzWaltz1", "JazzWaltzEnd", 3),
}
# The second rendition of each chart: another groove of the same metre.
SECOND = {4: ["bossa", "rockballad", "easyswing", "softrock", "popballad", "beguine", "rhumba",
              "foxtrot", "8beat", "folk", "ballad", "swing"],
          3: ["jazzwaltz", "arpwaltz", "countrywaltz", "waltz", "vienna"]}
MOVES = [5, -3, 2, -5, 4, -2, 3, -4, 6, 1, -1]
VOICES = ["Flute", "Clarinet", "Violin", "Trumpet", "AltoSax", "Oboe", "Piano1", "Vibraphone",
          "JazzGuitar", "Harmonica", "SopranoSax", "Accordion"]
TARGET_SECONDS = 45.0
TICKS_PER_BEAT = 192   # MMA's MIDI resolution
# MMA's scale runs and melody lines take the scale of each chord (E7 gives F# and D# even in
# A minor), which no composer of a piece in A minor would write: keep them to chord notes.
KEEP_TO_CHORDS = "AllTracks Scale Aria ScaleType Chord"
# The melody's rhythm, one pattern per bar of a four-bar cycle.
ARIA_RHYTHMS = {4: "{1 4 90; 2 8 70; 2.5 8 70; 3 2 80} {1 2 90; 3 4 80; 4 4 70} "
                   "{1 4. 90; 2.5 8 60; 3 4 80; 4 4 70} {1 2. 80}",
                3: "{1 4 90; 2 8 70; 2.5 8 70; 3 4 80} {1 2 90; 3 4 70} "
                   "{1 4. 90; 2.5 8 60; 3 4 80} {1 2. 80}"}


def parse_key(key):
	minor = key.endswith("m")
	name = key[:-1] if minor else key
	pc = NOTE[name[0]] + name[1:].count("#") - name[1:].count("b")
	return pc % 12, minor


def key_name(pc, minor):
	return (MINOR_NAMES[pc] + "m") if minor else MAJOR_NAMES[pc]


def chord_root(chord):
	name = chord[0] + (chord[1] if len(chord) > 1 and chord[1] in "#b" else "")
	return parse_key(name)[0]


def mma_bar(bar, beats):
	chords = bar.split()
	if len(chords) == 2 and beats == 4:
		return f"{chords[0]} / {chords[1]} /"
	return " ".join(chords)


def opening_degree(intro, body, tonic):
	first = (intro or body).split("|")[0].split()[0]
	steps = (chord_root(first) - tonic) % 12
	return ["1", "b2", "2", "b3", "3", "4", "#4", "5", "b6", "6", "b7", "7"][steps]


def write_mma(path, chart, rendition):
	title, key, beats, tempo, family, body, coda, intro = chart
	tonic, minor = parse_key(key)
	move = 0 if rendition == 0 else MOVES[hash_of(title) % len(MOVES)]
	if rendition == 1:
		family = SECOND[beats][hash_of(title) % len(SECOND[beats])]
		tempo = int(round(tempo * (0.9 if hash_of(title) % 2 else 1.1)))
	groove, groove2, ending, fbeats = FAMILIES[family]
	assert fbeats == beats, (title, family)
	new_tonic = (tonic + move) % 12
	bars = body.split("|")
	bar_seconds = beats * 60.0 / tempo
	repeats = max(1, min(4, math.ceil(TARGET_SECONDS / (len(bars) * bar_seconds))))
	voice = VOICES[(hash_of(title) + rendition) % len(VOICES)]
	lines = [f"// {title} ({key}{', moved %+d' % move if move else ''})",
	         f"Tempo {tempo}", f"KeySig {MINOR_NAMES[new_tonic] if minor else MAJOR_NAMES[new_tonic]} {'Minor' if minor else 'Major'}",
	         f"Transpose {move}", f"SeqSize 4",
	         "Begin Aria", f" Voice {voice}", " Volume f", " Articulate 90", " Octave 5", " Range 1.5",
	         " Direction 1 1 -1 2 -1 r 1 -2", " ScaleType Chord",
	         " Sequence " + ARIA_RHYTHMS[beats],
	         " SeqRnd On", " Rvolume 10", "End", f"Groove {groove}", KEEP_TO_CHORDS]
	n = 1
	for bar in (intro.split("|") if intro else []):
		lines.append(f"{n} {mma_bar(bar, beats)}")
		n += 1
	for r in range(repeats):
		if r == repeats // 2 and repeats > 1:
			lines += [f"Groove {groove2}", KEEP_TO_CHORDS]
		for bar in bars:
			lines.append(f"{n} {mma_bar(bar, beats)}")
			n += 1
	final = coda.split("|") if coda else []
	if not final:
		final = [bars[-1]]
		lines.pop()
		n -= 1
	for i, bar in enumerate(final):
		if i == len(final) - 1:
			lines.append("Aria Off")
			if ending:
				lines += [f"Groove {ending}", KEEP_TO_CHORDS]
		lines.append(f"{n} {mma_bar(bar, beats)}")
		n += 1
	with open(path, "w") as f:
		f.write("\n".join(lines) + "\n")
	return {"title": title, "tonic": new_tonic, "minor": minor, "tempo": tempo, "beats": beats,
	        "groove": groove, "move": move, "opening": opening_degree(intro, body, tonic),
	        "seconds": n * bar_seconds}


def hash_of(text):
	return sum((i + 1) * ord(c) for i, c in enumerate(text))


# --- reading the MIDI file back --------------------------------------------------------

def read_vlq(data, i):
	value = 0
	while True:
		b = data[i]
		i += 1
		value = (value << 7) | (b & 0x7F)
		if b < 0x80:
			return value, i


def read_midi(path):
	"""Key-signature events (sharps, minor) and pitched notes (start, end, pitch) in ticks."""
	data = open(path, "rb").read()
	i = 14
	signatures, notes = [], []
	while i + 8 <= len(data) and data[i:i + 4] == b"MTrk":
		end = i + 8 + int.from_bytes(data[i + 4:i + 8], "big")
		j, tick, status, sounding = i + 8, 0, 0, {}
		while j < end:
			delta, j = read_vlq(data, j)
			tick += delta
			if data[j] == 0xFF:
				kind = data[j + 1]
				length, k = read_vlq(data, j + 2)
				if kind == 0x59:
					sharps = data[k] - 256 if data[k] > 127 else data[k]
					signatures.append((sharps, data[k + 1] == 1))
				j = k + length
				continue
			if data[j] in (0xF0, 0xF7):
				length, k = read_vlq(data, j + 1)
				j = k + length
				continue
			if data[j] & 0x80:
				status = data[j]
				j += 1
			kind, channel = status & 0xF0, status & 0x0F
			if kind in (0xC0, 0xD0):
				j += 1
				continue
			pitch, velocity = data[j], data[j + 1]
			j += 2
			if channel == 9 or kind not in (0x80, 0x90):
				continue
			if kind == 0x90 and velocity > 0:
				sounding.setdefault(pitch, []).append(tick)
			elif sounding.get(pitch):
				notes.append((sounding[pitch].pop(0), tick, pitch))
		i = end
	return signatures, notes


def signature_key(sharps, minor):
	return ((9 if minor else 0) + 7 * sharps) % 12, minor


def ending_key(notes, beats):
	"""Tonic and mode that the music's final bar states: its lowest note, and whether the
	third above it sounds as a major or a minor third (None when neither stands out).
	Passing notes (a scale run in an ending groove) count by how long they sound."""
	bar = beats * TICKS_PER_BEAT
	last_bar = max(s for s, _, _ in notes) // bar * bar
	final = [(s, e, p) for s, e, p in notes if s >= last_bar]
	bass = min(p for _, _, p in final)
	weight = [0.0] * 12
	for s, e, p in final:
		weight[(p - bass) % 12] += e - s
	major, minor = weight[4] >= 0.3 * weight[0], weight[3] >= 0.3 * weight[0]
	mode = None if major == minor else minor
	return bass % 12, mode


def main():
	out = sys.argv[1]
	for sub in ("mma", "midi"):
		os.makedirs(os.path.join(out, sub), exist_ok=True)
	rows, dropped = [], []
	charts = [(c, "minor") for c in MINOR] + [(c, "major") for c in MAJOR]
	number = 0
	for chart, _ in charts:
		for rendition in (0, 1):
			pid = f"r{number:03d}"
			number += 1
			mma_path = os.path.join(out, "mma", pid + ".mma")
			mid_path = os.path.join(out, "midi", pid + ".mid")
			info = write_mma(mma_path, chart, rendition)
			subprocess.run(["mma", "-f", mid_path, mma_path], check=True, stdout=subprocess.DEVNULL,
			               stderr=subprocess.DEVNULL)
			signatures, notes = read_midi(mid_path)
			signed = signature_key(*signatures[0])
			ended = ending_key(notes, info["beats"])
			agree = ended[0] == signed[0] and ended[1] in (None, signed[1])
			name = key_name(*signed)
			if not agree:
				dropped.append(f"{pid} {info['title']}: signature {name}, ending "
				               f"{key_name(ended[0], bool(ended[1]))}{'' if ended[1] is not None else ' (no third)'}")
				continue
			rows.append({"id": pid, "key": name, "tonic_pc": signed[0],
			             "mode": "minor" if signed[1] else "major", "bpm": float(info["tempo"]),
			             "meter": f"{info['beats']}/4", "duration_s": round(info["seconds"], 2),
			             "groove": info["groove"], "moved": info["move"], "opening_degree": info["opening"],
			             "title": info["title"].replace(",", "")})
	with open(os.path.join(out, "labels.csv"), "w", newline="") as f:
		writer = csv.DictWriter(f, fieldnames=list(rows[0].keys()))
		writer.writeheader()
		writer.writerows(rows)
	minor = sum(1 for r in rows if r["mode"] == "minor")
	off_tonic = sum(1 for r in rows if r["opening_degree"] != "1")
	print(f"{len(rows)} pieces ({len(rows) - minor} major, {minor} minor; {off_tonic} open off the tonic), "
	      f"{len(dropped)} dropped:")
	for d in dropped:
		print("  " + d)


if __name__ == "__main__":
	main()
