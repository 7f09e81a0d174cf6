#!/usr/bin/env python3
# Writes the call fuzzer's seed inputs: one short call of every entry of the tables (read
# from platform/entries.h) and the hand-made inputs of known crashes. Selectors follow
# tests/fuzz/calls.cpp: a row is the first whose key (a hash of its name) is >= 2 bytes.
import os, random, re, struct, sys

root = os.path.dirname(os.path.abspath(__file__))
text = open(os.path.join(root, '..', '..', 'platform', 'entries.h')).read()
names = re.findall(r'\bX\((\w+), \w+, \w+, \(', text)

def key(name):
    h = 2166136261
    for c in name.encode():
        h = ((h ^ c) * 16777619) & 0xFFFFFFFF
    return (h ^ (h >> 16)) & 0xFFFF

rows = sorted(((key(n), n) for n in names))
keys = {}
last = -1
for k, n in rows:
    if k <= last and last < 0xFFFF:
        k = last + 1
    keys[n] = last = k

def call(name, *args):
    return struct.pack('<H', keys[name]) + b''.join(args)

def raw_l(v):  # selector 11: eight raw bytes
    return b'\xc0' + struct.pack('<q', v)

def pool(i):  # selector 00: entry i of the type's pool
    return bytes([i])

DPOOL = {1e308: 14, -1e308: 15, 1e300: 12, -1e300: 13}

def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)

corpus = os.path.join(root, 'corpus', 'calls')
crashes = os.path.join(root, 'crashes', 'calls')
os.makedirs(corpus, exist_ok=True)
os.makedirs(crashes, exist_ok=True)
rng = random.Random(10)
for n in names:
    write(os.path.join(corpus, 'entry-' + n), call(n, bytes(rng.randrange(256) for _ in range(12))))

# Arcs, pies and chords whose angles are finite but whose difference is not.
big = [pool(DPOOL[1e308]), pool(DPOOL[-1e308])]
xy = raw_l(977) + raw_l(1135) + raw_l(277) + raw_l(685)
win = call('GetWin72')
open800 = call('CreateWin44')  # the default 800 x 600 window, which the arcs reach into
for n, tail in [('Arc172', b''), ('Arc170', b'\x80\x81'), ('Pie176', b''), ('Chord178', b'\x80\x81'),
                ('Arc169', None)]:
    if tail is None:  # on the window's bitmap, as handed out by GetWin72
        data = win + call(n, b'\x80', xy, *big, b'\x80\x81')
    else:
        data = call(n, xy, *big, tail)
    write(os.path.join(crashes, n.lower() + '-angles-1e308'), open800 + data)

# Saving a bitmap to a FIFO that nobody reads waited for a reader for ever.
write(os.path.join(crashes, 'savebmp-to-a-fifo'), win + call('SaveBMP198', b'\x80', pool(31)))

# Hooks that call back into both libraries (pool index 6: asks, fails, sounds and threads),
# set on both, then failures of either library, at the window's close and open too.
HOOK_ALL, HOOK_THREADS = b'\x06', b'\x05'
NOUSER = b'\x00'
hooks = (call('disp_seterrorwatch', HOOK_ALL, NOUSER) + call('disp_setlog', HOOK_ALL, NOUSER) +
         call('sound_seterrorwatch', HOOK_ALL, NOUSER) + call('sound_setlog', HOOK_ALL, NOUSER))
failures = (call('PlayAudio8', raw_l(-1)) + call('LoadAudio3', pool(30)) +
            call('PauseThread19', pool(0)) + call('GetPixel147', pool(1), pool(0), pool(0)))
write(os.path.join(corpus, 'hooks-call-back'),
      hooks + failures + call('CloseWin46') + failures + call('CreateWin44') + failures)

# Threads drawing on bitmaps of their own (procedure index 2) while the window closes and
# opens; a watcher that starts and pauses threads, told of a thread entry's failure.
threads = (call('NewThread18', pool(2)) * 3 + call('disp_newthreadwith', pool(2), NOUSER) * 2)
write(os.path.join(corpus, 'threads-draw-while-the-window-cycles'),
      threads + call('CloseWin46') + call('CreateWin44') + threads + call('CloseWin46') +
      call('disp_seterrorwatch', HOOK_THREADS, NOUSER) + call('PauseThread19', pool(0)) +
      call('CreateWin44'))
