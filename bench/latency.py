#!/usr/bin/env python3
# The figures of bench/latency.sh from the files its run leaves in a folder: the game's
# SOUND_LATENCY_LOG and DISP_KEYLOG, the recorded monitor of the null sink, and the sound
# server's own count of underruns. Usage: latency.py FOLDER; writes FOLDER/verdict.
import array, os, statistics, sys, wave
tmp = sys.argv[1]
PLACEHOLDER = 1000000  # OpenAL Soft 1.19 reports 1 ms when PulseAudio has no timing data

def pct(xs, p):
    xs = sorted(xs)
    return xs[min(len(xs) - 1, int(p / 100 * len(xs)))] if xs else float("nan")

keys, plays, lat = [], [], []
missed = 0
restarts = -1  # a new game starts the music over, and it opens with 0.12 s of silence
for line in open(f"{tmp}/keys.log") if os.path.exists(f"{tmp}/keys.log") else []:
    k, ns, sym = line.split()
    if sym == "32":
        keys.append(int(ns))
tone = os.environ.get("LATENCY_TONE", "0") == "1"  # the control run: no game, a plain client
for line in open(f"{tmp}/sound.log") if not tone else []:
    f = line.split()
    if f[0] == "play" and f[1] in ("sj1.wav", "sj2.wav", "sj3.wav"):
        plays.append((int(f[2]), int(f[3]), int(f[4])))
    elif f[0] == "play" and f[1] == "bg.mp3":
        restarts += 1
    elif f[0] == "missed":  # graph cycles the library's own PipeWire stream missed
        missed = int(f[2])
    elif f[0] == "latency" and int(f[2]) > 0 and int(f[2]) != PLACEHOLDER:
        lat.append(int(f[2]) / 1e6)
pulse = [int(x) / 1000 for x in open(f"{tmp}/pulse-latency").read().split()] \
    if os.path.exists(f"{tmp}/pulse-latency") else []
out_ms = statistics.median(lat) if lat else (statistics.median(pulse) if pulse else float("nan"))

k2s, k2s_run = [], []
for k in keys:  # the first effect played after the key, within 100 ms (a restart plays none)
    after = [p for p in plays if 0 <= p[0] - k < 100_000_000]
    if after:
        called, mixed, devlat = after[0]
        dl = devlat / 1e6 if devlat > 0 and devlat != PLACEHOLDER else out_ms
        k2s.append((mixed - k) / 1e6 + dl)
        k2s_run.append((mixed - k) / 1e6 + out_ms)

# Underruns: inside the music, stretches of exact digital silence of 0.5 ms or more with
# sound on both sides (a gap: the stream stops and then goes on where it was; a quiet
# passage fades, and a new game's music starts from its silent opening), and single-sample jumps
# far beyond the music's own (a click). PulseAudio's own count of the stream's underruns,
# from its debug log, is the second witness.
# PulseAudio logs each underrun of a stream ("Implicit underrun of ...", "... end of
# underrun"); lines within 0.2 s of each other are one. The game's stream is the last one
# created with a short latency; its first two seconds are counted apart, as below.
pulse_underruns, opened, last = 0, None, -1.0
for line in open(f"{tmp}/pulse.log", errors="replace") if os.path.exists(f"{tmp}/pulse.log") else []:
    if not line.startswith("("):
        continue
    when = float(line[1:].split("|")[0])
    if "Final latency" in line and float(line.split("Final latency")[1].split()[0]) < 100:
        opened, pulse_underruns = when, 0
    elif "underrun" in line and opened is not None and when > opened + 2:
        pulse_underruns += when > last + 0.2
        last = when

# pipewire-pulse logs a stream's underflow, the same event ("[client]: UNDERFLOW"), though
# no more than about one a second or two: on PipeWire this count is a floor.
streams = {}
for line in open(f"{tmp}/pipewire-pulse.log", errors="replace") \
        if os.path.exists(f"{tmp}/pipewire-pulse.log") else []:
    if not line.startswith("[") or "] [" not in line:
        continue
    when = float(line.split("]")[1].lstrip("["))
    client = line.split("] [", 1)[1].split("]")[0]
    if "CREATE_PLAYBACK_STREAM" in line:
        streams[client] = [when, 0]
    elif "UNDERFLOW" in line and client in streams and when > streams[client][0] + 2:
        streams[client][1] += 1
pulse_underruns += max((n for _, n in streams.values()), default=0)

w = wave.open(f"{tmp}/monitor.wav")
rate, ch = w.getframerate(), w.getnchannels()
s = array.array("h", w.readframes(w.getnframes()))
n = len(s) // ch
loud = [i for i in range(0, n, rate // 100) if max(abs(v) for v in s[i * ch:(i + rate // 100) * ch]) > 64]
gaps = clicks = early = 0
where = []
if loud:
    a, b = loud[0] + rate // 2, loud[-1] - rate // 2
    # A fresh PulseAudio stream may stutter while it settles, as it does with OpenAL Soft's
    # default period too: the first two seconds are counted apart.
    settled = loud[0] + 2 * rate
    run, minrun = 0, rate // 2000
    jumps = []
    for i in range(a, b):
        x = s[i * ch]
        if x == 0 and s[i * ch + 1] == 0:
            run += 1
        else:
            ms = rate // 1000
            edge = min(max(abs(v) for v in s[max(0, i - run - ms) * ch:(i - run) * ch]),
                       max(abs(v) for v in s[i * ch:(i + ms) * ch])) if run >= minrun else 0
            if run >= rate // 12 and run <= rate // 7 and restarts > 0:
                restarts -= 1
            elif run >= minrun and edge > 64 and i < settled:
                early += 1
            elif run >= minrun and edge > 64:
                gaps += 1
                where.append(("gap", i / rate, run))
            run = 0
        jumps.append(abs(x - s[(i - 1) * ch]))
    typical = pct(jumps, 99.9)
    for i, j in enumerate(jumps):
        if j > max(8 * typical, 8000):
            clicks += 1
            where.append(("click", (a + i) / rate, j))
if not tone:
    print(f"output_latency_ms {out_ms:.2f}")
    print(f"output_latency_readings {len(lat)}")
    print(f"output_latency_pulse_ms {statistics.median(pulse) if pulse else float('nan'):.2f}")
    print(f"keys {len(keys)}")
    print(f"keys_with_sound {len(k2s)}")
    print(f"key_to_sound_ms_median {statistics.median(k2s) if k2s else float('nan'):.2f}")
    print(f"key_to_sound_ms_p99 {pct(k2s, 99):.2f}")
    # The same with the run's median device latency in place of the reading at each play:
    # through pipewire-pulse libpulse's reading swings by about 5 ms between the server's
    # timing updates and drifts for seconds, which these leave out.
    print(f"key_to_sound_run_latency_ms_median "
          f"{statistics.median(k2s_run) if k2s_run else float('nan'):.2f}")
    print(f"key_to_sound_run_latency_ms_p99 {pct(k2s_run, 99):.2f}")
print(f"music_seconds {(loud[-1] - loud[0]) / rate if loud else 0:.1f}")
print(f"startup_gaps {early}")
print(f"underrun_gaps {gaps}")
print(f"underrun_clicks {clicks}")
print(f"pulse_underruns {pulse_underruns}")
print(f"missed_cycles {missed}")
print(f"underruns {max(gaps, pulse_underruns) + clicks}")
for kind, t, size in where[:20]:
    print(f"# {kind} at {t:.3f} s ({size})", file=sys.stderr)
underruns_allowed = int(os.environ.get("LATENCY_MAX_UNDERRUNS", "0"))
ok = max(gaps, pulse_underruns) + clicks <= underruns_allowed and len(loud) > 0
if not tone:
    ok = ok and out_ms == out_ms and out_ms <= 30 and len(k2s) > 0
open(f"{tmp}/verdict", "w").write("ok" if ok else "fail")
