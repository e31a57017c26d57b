#!/usr/bin/env python3
"""Load on `sivarta-data serve`'s chart route: 64 keep-alive connections on
loopback, each asking in turn for pictures from a set of distinct queries,
once with the picture cache off and once on. Prints requests per second,
p50/p99 latency, the server's CPU time per request and its peak RSS; never
fails on time.

  route_bench.py TOOL [--requests N] [--queries Q] [--connections C] [--workers W] [--size WxH]
  route_bench.py TOOL --front HOST:PORT [...]

TOOL is a sivarta-data binary; it is started on a free port over a sample day.
With --front, the load goes to a running front (nginx with deploy/nginx.conf
over a server with code 005930) instead, once, and the X-Cache answers are
counted: the cache hit rate. `--queries 1` asks for one picture over and
over: the cost of a hit against a full render.
"""
import argparse
import asyncio
import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time


def peak_rss_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return float("nan")


def cpu_seconds(pid):
    """The process's CPU time, user and system, all threads: on a shared
    machine a steadier measure of the cost of a request than the wall clock."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


async def read_answer(reader):
    head = await reader.readuntil(b"\r\n\r\n")
    status = int(head.split(b" ", 2)[1])
    length = 0
    cache = ""
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value)
        if name.strip().lower() == b"x-cache":
            cache = "/" + value.strip().decode()
    if length:
        await reader.readexactly(length)
    return "%d%s" % (status, cache)


async def connection(host, port, paths, next_index, total, latencies, statuses):
    """One client: requests in turn; a dropped connection is counted and reopened."""
    writer = None
    try:
        while next_index[0] < total:
            i = next_index[0]
            next_index[0] = i + 1
            start = time.perf_counter()
            try:
                if writer is None:
                    reader, writer = await asyncio.open_connection(host, port)
                writer.write(f"GET {paths[i % len(paths)]} HTTP/1.1\r\nHost: bench\r\n\r\n".encode())
                status = await read_answer(reader)
            except (ConnectionError, asyncio.IncompleteReadError):
                status = "dropped"
                writer = None
            latencies.append(time.perf_counter() - start)
            statuses[status] = statuses.get(status, 0) + 1
    finally:
        if writer:
            writer.close()


async def load(host, port, paths, total, connections):
    latencies, statuses, next_index = [], {}, [0]
    start = time.perf_counter()
    await asyncio.gather(*(connection(host, port, paths, next_index, total, latencies, statuses)
                           for _ in range(connections)))
    return time.perf_counter() - start, sorted(latencies), statuses


def start_server(tool, root, cache_mib, workers):
    args = [tool, "serve", "--root", root, "--port", "0", "--chart-cache", str(cache_mib)]
    if workers:
        args += ["--chart-workers", str(workers)]
    proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    line = proc.stdout.readline()
    match = re.search(r"http://[^:]+:(\d+)", line)
    if not match:
        proc.kill()
        sys.exit(f"server did not start: {line!r}")
    # Drain the access log so the server never blocks on a full pipe.
    threading.Thread(target=lambda: [None for _ in proc.stdout], daemon=True).start()
    return proc, int(match.group(1))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tool")
    ap.add_argument("--requests", type=int, default=6000)
    ap.add_argument("--queries", type=int, default=500)
    ap.add_argument("--connections", type=int, default=64)
    ap.add_argument("--workers", type=int, default=0)
    ap.add_argument("--size", default="228x190")
    ap.add_argument("--front")
    opts = ap.parse_args()

    root = tempfile.mkdtemp(prefix="route-bench-")
    subprocess.run([opts.tool, "sample", "--root", root, "--code", "005930", "--date", "20240105"],
                   check=True, stdout=subprocess.DEVNULL)
    # Distinct queries: one picture each, differing in the rising candle's colour.
    width, height = opts.size.split("x")
    paths = [f"/chart/005930.png?w={width}&h={height}&crHighCandle={q}" for q in range(opts.queries)]
    print(f"chart route: {opts.requests} requests over {opts.queries} distinct queries, "
          f"{opts.connections} connections, {opts.size}, {os.cpu_count()} cores")
    if opts.front:
        host, port = opts.front.rsplit(":", 1)
        elapsed, lat, statuses = asyncio.run(load(host, int(port), paths, opts.requests, opts.connections))
        n = len(lat)
        hits = sum(v for k, v in statuses.items() if k.endswith("/HIT"))
        print(f"  through {opts.front}: {n / elapsed:7.0f} req/s  p50 {lat[n // 2] * 1000:6.1f} ms  "
              f"p99 {lat[min(n - 1, int(0.99 * n))] * 1000:6.1f} ms  cache hits {100 * hits / n:.1f}%  "
              f"statuses {statuses}")
        return
    for cache_mib in (0, 64):
        proc, port = start_server(opts.tool, root, cache_mib, opts.workers)
        try:
            cpu = cpu_seconds(proc.pid)
            elapsed, lat, statuses = asyncio.run(load("127.0.0.1", port, paths, opts.requests, opts.connections))
            cpu = cpu_seconds(proc.pid) - cpu
            rss = peak_rss_mib(proc.pid)
        finally:
            proc.send_signal(signal.SIGTERM)
            proc.wait()
        n = len(lat)
        p = lambda q: lat[min(n - 1, int(q * n))] * 1000
        print(f"  cache {'on ' if cache_mib else 'off'}: {n / elapsed:7.0f} req/s  p50 {p(0.50):6.1f} ms  "
              f"p99 {p(0.99):6.1f} ms  server CPU {cpu * 1e6 / n:5.0f} us/req  peak RSS {rss:5.1f} MiB  "
              f"statuses {statuses}")


if __name__ == "__main__":
    main()
