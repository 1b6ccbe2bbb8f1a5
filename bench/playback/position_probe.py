"""Purpose: bench/playback/position's peer side and its report: samples mpv's playback position over its
JSON IPC the way position_bench samples the engine's, and compares each log's positions with the clock.

Usage:
  position_probe.py mpv FILE SECONDS SEEK_AFTER SEEK_TO
      plays FILE in mpv --ao=null (paced in real time) and prints "t position" lines every 20 ms for
      SECONDS, and "seek t target" when it seeks to SEEK_TO, SEEK_AFTER seconds after the position first
      moved (negative: no seek); the format of position_bench.
  position_probe.py report NAME LOG... [-- NAME LOG...]...
      prints the figures of each named player side by side, medians over its logs (those with a seek
      give the seek figures, those without the drift).
"""

import json
import os
import socket
import statistics
import subprocess
import sys
import tempfile
import time


def sample_mpv(path, seconds, seek_after, seek_to):
    with tempfile.TemporaryDirectory() as d:
        ipc = os.path.join(d, "ipc")
        origin = time.monotonic()
        mpv = subprocess.Popen(
            ["mpv", "--no-config", "--no-video", "--ao=null", f"--input-ipc-server={ipc}", path],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            for _ in range(1000):
                try:
                    sock.connect(ipc)
                    break
                except OSError:
                    time.sleep(0.01)
            else:
                raise RuntimeError("mpv opened no IPC socket")
            reader = sock.makefile("r")
            request = 0

            def command(*args):
                nonlocal request
                request += 1
                sock.sendall((json.dumps({"command": list(args), "request_id": request}) + "\n").encode())
                for line in reader:  # events come in between; the reply carries our request id
                    reply = json.loads(line)
                    if reply.get("request_id") == request:
                        return reply
                raise RuntimeError("mpv closed its IPC socket")

            moved_at = None
            sought = seek_after < 0
            deadline = time.monotonic()
            while time.monotonic() - origin < seconds:
                asked = time.monotonic()
                reply = command("get_property", "time-pos")
                now = time.monotonic()
                t = (asked + now) / 2 - origin
                position = reply["data"] if reply.get("error") == "success" and reply.get("data") is not None else -1.0
                # A reply that took long leaves open when in it the position was read: left out, so that
                # the figures are mpv's and not the IPC's.
                if now - asked <= 0.005:
                    print(f"{t:.6f} {position:.6f}")
                if moved_at is None and position > 0:
                    moved_at = t
                if not sought and moved_at is not None and t - moved_at >= seek_after:
                    print(f"seek {time.monotonic() - origin:.6f} {seek_to:.6f}")
                    command("seek", seek_to, "absolute")
                    sought = True
                deadline += 0.02
                time.sleep(max(0.0, deadline - time.monotonic()))
            try:
                command("quit")
            except (OSError, RuntimeError, ValueError):
                pass
        finally:
            try:
                mpv.wait(timeout=5)
            except subprocess.TimeoutExpired:
                mpv.kill()
                mpv.wait()


def read_log(path):
    samples, seek = [], None
    with open(path) as f:
        for line in f:
            parts = line.split()
            if parts[0] == "seek":
                seek = (float(parts[1]), float(parts[2]))
            elif len(parts) == 2:
                samples.append((float(parts[0]), float(parts[1])))
    return samples, seek


def max_deviation(samples):
    """Largest |position - clock - offset| in ms, the offset fitted by least squares at slope 1."""
    if not samples:
        return float("nan"), float("nan")
    dev = [p - t for t, p in samples]
    offset = sum(dev) / len(dev)
    return max(abs(d - offset) for d in dev) * 1000.0, offset


def figures(path):
    """Before-seek deviation, after-seek deviation, resume delay (ms); for a log without a seek, the
    drift after 5 s at the run's mean rate and the largest deviation (ms)."""
    samples, seek = read_log(path)
    moving = [i for i, (_, p) in enumerate(samples) if p > 0]
    if not moving:
        return {}
    start = moving[0]
    if seek is None:
        run = [(t, p) for t, p in samples[start:] if p >= 0]
        # A least-squares line through every sample of the run: a position that advances in steps (of
        # the output's or the decoder's blocks) is a sawtooth around the clock, and only a run much
        # longer than five seconds averages its teeth out of the slope.
        n = len(run)
        mt = sum(t for t, _ in run) / n
        mp = sum(p for _, p in run) / n
        slope = sum((t - mt) * (p - mp) for t, p in run) / sum((t - mt) ** 2 for t, _ in run)
        return {"drift": (slope - 1.0) * 5000.0, "deviation": max_deviation(run)[0]}
    at, target = seek
    before = [(t, p) for t, p in samples[start:] if t < at and p >= 0]
    after = [(t, p) for t, p in samples if t > at and p >= 0]
    # The position the player holds after the seek: its first report near the target (a player may
    # land a little before it; one already moving on has left the target itself).
    near = [p for _, p in after if abs(p - target) < 0.1]
    if not near:
        return {"before": max_deviation(before)[0]}
    hold = min(near[0], target)
    resumed = [i for i, (_, p) in enumerate(after) if abs(p - target) < 1.0 and p > hold + 1e-4]
    if not resumed:
        return {"before": max_deviation(before)[0]}
    moving_after = after[resumed[0]:]
    deviation, offset = max_deviation(moving_after)
    # The moment the position left the hold, from the fitted line position = clock + offset; the first
    # moving sample only bounds it to 20 ms.
    return {"before": max_deviation(before)[0], "after": deviation, "resume": (hold - offset - at) * 1000.0}


def median(values):
    values = [v for v in values if v == v]
    return statistics.median(values) if values else float("nan")


def report(groups):
    rows = [
        ("44.1 kHz MP3: largest deviation before the seek (ms)", "before"),
        ("44.1 kHz MP3: largest deviation after the seek (ms)", "after"),
        ("44.1 kHz MP3: position moves again after the seek (ms)", "resume"),
        ("8 kHz mono MP3: drift after 5 s (ms, slope over 20 s)", "drift"),
        ("8 kHz mono MP3: largest deviation over 20 s (ms)", "deviation"),
    ]
    results = [(name, [figures(log) for log in logs]) for name, logs in groups]
    runs = max(sum(1 for f in logs if "before" in f) for _, logs in results)
    print(f"heard position against the steady clock, sampled every 20 ms; medians of {runs} runs")
    print(f"{'':56}" + "".join(f" {name:>16}" for name, _ in results))
    for label, key in rows:
        cells = (median([f.get(key, float("nan")) for f in logs if key in f]) for _, logs in results)
        print(f"{label:56}" + "".join(f" {v:16.1f}" for v in cells))


def main():
    if len(sys.argv) == 6 and sys.argv[1] == "mpv":
        sample_mpv(sys.argv[2], float(sys.argv[3]), float(sys.argv[4]), float(sys.argv[5]))
        return 0
    if len(sys.argv) > 3 and sys.argv[1] == "report":
        groups, group = [], []
        for arg in sys.argv[2:] + ["--"]:
            if arg == "--":
                if len(group) < 2:
                    break
                groups.append((group[0], group[1:]))
                group = []
            else:
                group.append(arg)
        else:
            report(groups)
            return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
