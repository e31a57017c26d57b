#!/usr/bin/env python3
"""`sivarta-data serve` probed as a hostile client would: each probe starts
what it needs against a server over a sample day and says PASS or FAIL with
what it saw. Exit status 1 when any probe fails.

  hostile_probes.py SIVARTA_DATA [PROBE ...] [-PROBE ...]

Named probes run alone; a name after a minus is left out.
"""
import asyncio
import hashlib
import os
import re
import socket
import subprocess
import sys
import tempfile
import threading
import time

TOOL = sys.argv[1]
ONLY = [name for name in sys.argv[2:] if not name.startswith("-")]
SKIP = [name[1:] for name in sys.argv[2:] if name.startswith("-")]


class Server:
    def __init__(self, root, *extra, env=None):
        self.log = open(os.path.join(root, "..", "serve-%d.log" % id(self)), "w+")
        self.proc = subprocess.Popen([TOOL, "serve", "--root", root, "--port", "0", *extra],
                                     stdout=subprocess.PIPE, stderr=self.log, text=True, env=env)
        line = self.proc.stdout.readline()
        match = re.search(r"http://[^:]+:(\d+)", line)
        if not match:
            raise RuntimeError("server did not start: %r" % line)
        self.port = int(match.group(1))
        threading.Thread(target=lambda: [None for _ in self.proc.stdout], daemon=True).start()

    def rss_mib(self, field="VmRSS"):
        """The resident set now (VmRSS) or at its peak (VmHWM), in MiB."""
        with open("/proc/%d/status" % self.proc.pid) as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1]) / 1024
        return 0

    def stderr(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def connect(port, source="127.0.0.1", timeout=10):
    s = socket.socket()
    s.settimeout(timeout)
    s.bind((source, 0))
    s.connect(("127.0.0.1", port))
    return s


def read_answer(sock, buffer=b""):
    """One answer from the socket: (status, headers, body, rest of buffer)."""
    while b"\r\n\r\n" not in buffer:
        chunk = sock.recv(65536)
        if not chunk:
            raise ConnectionError("closed before a full head")
        buffer += chunk
    head, buffer = buffer.split(b"\r\n\r\n", 1)
    lines = head.decode("latin-1").split("\r\n")
    status = int(lines[0].split()[1])
    headers = {}
    for line in lines[1:]:
        name, _, value = line.partition(":")
        headers[name.strip().lower()] = value.strip()
    length = int(headers.get("content-length", "0"))
    if status in (304,) or status < 200:
        length = 0
    while len(buffer) < length:
        chunk = sock.recv(1 << 20)
        if not chunk:
            break
        buffer += chunk
    return status, headers, buffer[:length], buffer[length:]


def get(port, path, headers=(), source="127.0.0.1", timeout=10):
    s = connect(port, source, timeout)
    try:
        extra = "".join("%s: %s\r\n" % h for h in headers)
        s.sendall(("GET %s HTTP/1.1\r\nHost: probe\r\n%s\r\n" % (path, extra)).encode("latin-1"))
        status, hdrs, body, _ = read_answer(s)
        return status, hdrs, body
    finally:
        s.close()


def sample(root, code="005930"):
    subprocess.run([TOOL, "sample", "--root", root, "--code", code, "--date", "20240105"],
                   check=True, stdout=subprocess.DEVNULL)


DATA = "/sisefile/Date/005930.dat"
INFO = "/sisefile/info/005930.dat"


# ---- probes: each takes (server, root) and returns (ok, what was seen) ----

def probe_ranges(srv, root):
    size = os.path.getsize(root + DATA)
    seen = []
    ok = True
    status, h, body = get(srv.port, DATA, [("Range", "bytes=" + ",".join(["0-"] * 200))])
    seen.append("200 ranges: %d, %d bytes" % (status, len(body)))
    ok &= len(body) <= size and status == 200 and "content-range" not in h
    status, h, body = get(srv.port, DATA, [("Range", "bytes=10-19")])
    seen.append("one range: %d %s" % (status, h.get("content-range")))
    ok &= status == 206 and h.get("content-range") == "bytes 10-19/%d" % size and len(body) == 10
    ok &= body == open(root + DATA, "rb").read()[10:20]
    status, h, body = get(srv.port, DATA, [("Range", "bytes=-5")])
    ok &= status == 206 and h.get("content-range") == "bytes %d-%d/%d" % (size - 5, size - 1, size)
    status, h, _ = get(srv.port, DATA, [("Range", "bytes=%d-" % size)])
    seen.append("past the end: %d %s" % (status, h.get("content-range")))
    ok &= status == 416 and h.get("content-range") == "bytes */%d" % size
    etag = get(srv.port, DATA)[1].get("etag")
    status, _, body = get(srv.port, DATA, [("Range", "bytes=0-9"), ("If-Range", '"stale"')])
    seen.append("If-Range stale: %d" % status)
    ok &= status == 200 and len(body) == size
    status, _, body = get(srv.port, DATA, [("Range", "bytes=0-9"), ("If-Range", etag or '"none"')])
    seen.append("If-Range current: %d" % status)
    ok &= status == 206 and len(body) == 10
    return ok, "; ".join(seen)


def timed_gets(port, count, source="127.0.0.1"):
    """Latencies in ms of `count` new requests, None for one not answered."""
    out = []
    for _ in range(count):
        start = time.perf_counter()
        try:
            status, _, _ = get(port, INFO, source=source, timeout=10)
            out.append((time.perf_counter() - start) * 1000 if status == 200 else None)
        except OSError:
            out.append(None)
    return out


def describe(latencies):
    done = [x for x in latencies if x is not None]
    return "%d of %d answered, slowest %.1f ms" % (len(done), len(latencies), max(done) if done else -1)


def probe_slow_headers(srv, root):
    sockets = []
    stop = threading.Event()
    for i in range(200):
        s = connect(srv.port)
        s.sendall(b"GET / HTTP/1.1\r\n")
        sockets.append(s)

    def drip():
        while not stop.wait(3):
            for s in sockets:
                try:
                    s.sendall(b"X")
                except OSError:
                    pass
    t = threading.Thread(target=drip, daemon=True)
    t.start()
    time.sleep(0.5)
    lat = timed_gets(srv.port, 20)
    stop.set()
    for s in sockets:
        s.close()
    return all(x is not None for x in lat), "200 slow-header connections held: " + describe(lat)


def probe_idle_keepalive(srv, root):
    sockets = []
    # From four loopback addresses, so the per-client limit is not what is probed.
    for i in range(1000):
        s = connect(srv.port, "127.0.0.%d" % (2 + i % 4))
        s.sendall(b"GET /sisefile/info/005930.dat HTTP/1.1\r\nHost: probe\r\n\r\n")
        sockets.append(s)
    answered = 0
    for s in sockets:
        try:
            answered += read_answer(s)[0] == 200
        except OSError:
            pass
    lat = timed_gets(srv.port, 20)
    for s in sockets:
        s.close()
    return answered == 1000 and all(x is not None for x in lat), \
        "1000 kept-alive connections (%d answered), then new requests: %s" % (answered, describe(lat))


def probe_head_limits(srv, root):
    seen = []
    ok = True
    big = [("X-Pad", "a" * (17 << 10))]
    status = get(srv.port, INFO, big)[0]
    seen.append("17 KiB header: %d" % status)
    ok &= status == 431
    status = get(srv.port, INFO, [("X-H%d" % i, "v") for i in range(101)])[0]
    seen.append("101 header lines: %d" % status)
    ok &= status == 431
    status = get(srv.port, INFO, [("X-H%d" % i, "v") for i in range(90)])[0]
    seen.append("90 header lines: %d" % status)
    ok &= status == 200
    before = srv.rss_mib()
    s = connect(srv.port, timeout=30)
    s.sendall(b"GET / HTTP/1.1\r\n")
    line = b"X-A: b\r\n" * 10000
    try:
        for _ in range(300):   # 3,000,000 lines
            s.sendall(line)
    except OSError:
        pass
    s.close()
    grown = srv.rss_mib() - before
    seen.append("3,000,000 lines: RSS +%.1f MiB" % grown)
    ok &= grown < 64 and get(srv.port, INFO)[0] == 200
    return ok, "; ".join(seen)


def probe_big_body(srv, root):
    before = srv.rss_mib()
    s = connect(srv.port, timeout=30)
    s.sendall(b"POST /sisefile/info/005930.dat HTTP/1.1\r\nHost: p\r\nContent-Length: %d\r\n\r\n" % (400 << 20))
    sent = 0
    try:
        chunk = b"z" * (1 << 20)
        while sent < (400 << 20):
            s.sendall(chunk)
            sent += len(chunk)
    except OSError:
        pass
    status = None
    try:
        status = read_answer(s)[0]
    except OSError:
        pass
    s.close()
    grown = srv.rss_mib() - before
    ok = status == 413 and grown < 64 and sent < (400 << 20)
    return ok, "400 MiB POST: status %s after %d MiB sent, RSS +%.1f MiB" % (status, sent >> 20, grown)


def probe_get_with_body(srv, root):
    smuggled = b"GET /sisefile/Date/005930.dat HTTP/1.1\r\nHost: p\r\n\r\n"
    s = connect(srv.port, timeout=3)
    s.sendall(b"GET /sisefile/info/005930.dat HTTP/1.1\r\nHost: p\r\nContent-Length: %d\r\n\r\n" % len(smuggled)
              + smuggled)
    answers = []
    buffer = b""
    try:
        while True:
            status, _, body, buffer = read_answer(s, buffer)
            answers.append((status, len(body)))
    except (OSError, ConnectionError):
        pass
    s.close()
    data_size = os.path.getsize(root + DATA)
    ok = not any(length == data_size for _, length in answers) and len(answers) <= 1
    return ok, "GET with a body holding a request: answers %s" % answers


def probe_pipelining(srv, root):
    for i in range(100):
        with open(os.path.join(root, "p%d.txt" % i), "w") as f:
            f.write("body %d" % i)
    s = connect(srv.port)
    s.sendall(b"".join(b"GET /p%d.txt HTTP/1.1\r\nHost: p\r\n\r\n" % i for i in range(100)))
    bodies = []
    buffer = b""
    try:
        for _ in range(100):
            status, _, body, buffer = read_answer(s, buffer)
            bodies.append(body.decode())
    except (OSError, ConnectionError):
        pass
    s.close()
    ok = bodies == ["body %d" % i for i in range(100)]
    return ok, "100 pipelined requests: %d answers%s" % (len(bodies), ", in order" if ok else "")


def probe_backlog(srv, root):
    out = subprocess.run(["ss", "-ltnH", "sport = :%d" % srv.port], capture_output=True, text=True).stdout.split()
    backlog = int(out[2]) if len(out) > 2 else -1
    return backlog >= 128, "listen backlog %d" % backlog


def probe_connection_limits(_, root):
    srv = Server(root, "--max-connections", "30", "--max-per-client", "10")
    try:
        held = [connect(srv.port) for _ in range(10)]
        extra = connect(srv.port, timeout=3)
        extra.sendall(b"GET /sisefile/info/005930.dat HTTP/1.1\r\nHost: p\r\n\r\n")
        try:
            per_client_refused = extra.recv(100) == b""
        except OSError:
            per_client_refused = True
        other = get(srv.port, INFO, source="127.0.0.9")[0]
        held += [connect(srv.port, "127.0.0.%d" % (10 + i // 9)) for i in range(20)]
        over = connect(srv.port, "127.0.0.50", timeout=3)
        over.sendall(b"GET /sisefile/info/005930.dat HTTP/1.1\r\nHost: p\r\n\r\n")
        try:
            total_refused = over.recv(100) == b""
        except OSError:
            total_refused = True
        for s in held + [extra, over]:
            s.close()
        time.sleep(0.3)
        log = srv.stderr()
        logged = "limit" in log
        ok = per_client_refused and other == 200 and total_refused and logged
        return ok, "11th from one client refused: %s, another client: %d, 31st refused: %s, logged: %r" % (
            per_client_refused, other, total_refused, [l for l in log.splitlines() if "limit" in l][:2])
    finally:
        srv.stop()


def probe_fifo(srv, root):
    os.mkfifo(root + "/sisefile/Date/777777.dat")
    os.mkfifo(root + "/sisefile/info/777777.dat")
    statuses = []

    def hit(path):
        try:
            statuses.append(get(srv.port, path, timeout=5)[0])
        except OSError:
            statuses.append(None)
    threads = [threading.Thread(target=hit, args=(p,)) for p in
               ["/sisefile/Date/777777.dat", "/chart/777777.png"] * 40]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    after = timed_gets(srv.port, 10)
    ok = all(s == 404 for s in statuses) and all(x is not None for x in after)
    return ok, "80 requests for FIFOs: %s; then %s" % (sorted(set(map(str, statuses))), describe(after))


def probe_query_rules(srv, root):
    cases = [("/chart/005930.png?crTime=1%002", 400), ("/chart/005930.png?w=1&w=1", 400),
             ("/sisefile/info/005930.dat%00.png", 400), ("/chart/005930.png?w=300", 200)]
    seen = [(path, get(srv.port, path)[0]) for path, _ in cases]
    ok = all(status == want for (_, status), (_, want) in zip(seen, cases))
    return ok, ", ".join("%s -> %d" % s for s in seen)


def probe_conditional(srv, root):
    status, h, _ = get(srv.port, INFO)
    etag, modified = h.get("etag"), h.get("last-modified")
    seen = ["ETag %s, Last-Modified %s, Cache-Control %s" % (etag, modified, h.get("cache-control"))]
    ok = bool(etag and modified) and h.get("cache-control") == "no-cache"
    s1 = get(srv.port, INFO, [("If-None-Match", etag or '"x"')])[0]
    s2 = get(srv.port, INFO, [("If-Modified-Since", modified or "x")])[0]
    s3 = get(srv.port, INFO, [("If-None-Match", '"other"')])[0]
    seen.append("If-None-Match: %d, If-Modified-Since: %d, other tag: %d" % (s1, s2, s3))
    ok &= s1 == 304 and s2 == 304 and s3 == 200
    return ok, "; ".join(seen)


async def load_paths(port, paths, connections):
    """Each path once over `connections` keep-alive connections: the statuses seen."""
    statuses = {}
    pending = iter(paths)

    async def client():
        reader, writer = await asyncio.open_connection("127.0.0.1", port)
        try:
            for path in pending:
                writer.write(b"GET %s HTTP/1.1\r\nHost: probe\r\n\r\n" % path)
                head = await reader.readuntil(b"\r\n\r\n")
                status = int(head.split(b" ", 2)[1])
                statuses[status] = statuses.get(status, 0) + 1
                length = re.search(rb"(?i)\r\ncontent-length: *(\d+)", head)
                if length:
                    await reader.readexactly(int(length.group(1)))
        finally:
            writer.close()
    results = await asyncio.gather(*(client() for _ in range(connections)), return_exceptions=True)
    failures = [r for r in results if isinstance(r, Exception)]
    if failures:
        statuses["dropped"] = len(failures)
    return statuses


def probe_chart_cache_memory(_, root):
    """90,000 distinct long chart queries, each drawn and filed: the cache
    evicts by whole entries, so the server stays within its size + 64 MiB."""
    cache_mib, count = 8, 90000
    # AddressSanitizer holds freed blocks back on purpose; without that hoard
    # the resident set is the server's own.
    env = dict(os.environ, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") +
               ":quarantine_size_mb=0:thread_local_quarantine_size_kb=0")
    srv = Server(root, "--chart-cache", str(cache_mib), env=env)
    try:
        pad = b"x" * 7000
        paths = (b"/chart/005930.png?w=8&h=8&strType=%d%s" % (i, pad) for i in range(count))
        statuses = asyncio.run(load_paths(srv.port, paths, 32))
        rss, peak = srv.rss_mib(), srv.rss_mib("VmHWM")
        alive = srv.proc.poll() is None
    finally:
        srv.stop()
    bound = cache_mib + 64
    ok = alive and statuses == {200: count} and rss <= bound and peak <= bound
    return ok, "%d queries of 7 KB with --chart-cache %d: statuses %s, RSS %.1f MiB, peak %.1f MiB (bound %d)" % (
        count, cache_mib, statuses, rss, peak, bound)


def probe_chart_etag_same_second(srv, root):
    path = root + DATA
    original = open(path, "rb").read()
    tags = []
    for variant in range(3):
        # Same size, new content, within the same second; rewritten in place.
        with open(path, "r+b") as f:
            f.seek(28 * 100 + 20)
            f.write(bytes([variant + 1]))
        tags.append(get(srv.port, "/chart/005930.png")[1].get("etag"))
    with open(path, "wb") as f:
        f.write(original)
    ok = len(set(tags)) == 3 and None not in tags
    return ok, "three rewrites within a second gave tags %s" % tags


def probe_rewrites(srv, root):
    """A writer swaps the day between two versions 100 times a second, in
    place (truncate, write) and by rename; 4 readers ask for the chart."""
    info, data = root + INFO, root + DATA
    versions = []
    for seed in ("1", "2"):
        other = tempfile.mkdtemp(dir=root + "/..")
        subprocess.run([TOOL, "sample", "--root", other, "--code", "005930", "--date", "20240105", "--seed", seed],
                       check=True, stdout=subprocess.DEVNULL)
        versions.append((open(other + INFO, "rb").read(), open(other + DATA, "rb").read()))
    # Each file is whole in every version; a reader may meet one file's
    # version with the other's, so all four pairs are whole days.
    whole = set()
    for info_version in versions:
        for data_version in versions:
            for path, content in ((info, info_version[0]), (data, data_version[1])):
                with open(path, "wb") as f:
                    f.write(content)
            time.sleep(0.05)
            whole.add(hashlib.sha256(get(srv.port, "/chart/005930.png?w=200")[2]).hexdigest())
    stop = threading.Event()

    def writer():
        n = 0
        while not stop.is_set():
            v = versions[n % 2]
            for path, content in ((info, v[0]), (data, v[1])):
                if n % 4 < 2:
                    fd = os.open(path, os.O_WRONLY | os.O_TRUNC)
                    os.write(fd, content)
                    os.close(fd)
                else:
                    with open(path + ".new", "wb") as f:
                        f.write(content)
                    os.rename(path + ".new", path)
            n += 1
            time.sleep(0.01)
    served = []

    def reader():
        s = connect(srv.port)
        buffer = b""
        while not stop.is_set():
            s.sendall(b"GET /chart/005930.png?w=200 HTTP/1.1\r\nHost: p\r\n\r\n")
            status, h, body, buffer = read_answer(s, buffer)
            served.append((status, h.get("etag"), hashlib.sha256(body).hexdigest()))
        s.close()
    threads = [threading.Thread(target=writer)] + [threading.Thread(target=reader) for _ in range(4)]
    for t in threads:
        t.start()
    time.sleep(4)
    stop.set()
    for t in threads:
        t.join()
    ok200 = [s for s in served if s[0] == 200]
    partial = [s for s in ok200 if s[2] not in whole]
    pictures = {}
    for _, tag, digest in ok200:
        pictures.setdefault(tag, set()).add(digest)
    shared = [t for t, d in pictures.items() if len(d) > 1]
    ok = len(ok200) > 20 and not partial and not shared
    return ok, "%d answers (%d with 200): %d pictures of part-written files, %d tags with two pictures" % (
        len(served), len(ok200), len(partial), len(shared))


def probe_events(srv, root):
    s = connect(srv.port)
    s.sendall(b"GET /events?code=005930&code=000660 HTTP/1.1\r\nHost: p\r\n\r\n")
    status, h, _, buffer = read_answer_head(s)
    ok = status == 200 and h.get("content-type", "").startswith("text/event-stream")
    time.sleep(0.2)
    start = time.perf_counter()
    content = open(root + DATA, "rb").read()
    with open(root + DATA + ".new", "wb") as f:
        f.write(content)
    os.rename(root + DATA + ".new", root + DATA)
    s.settimeout(5)
    got = buffer
    try:
        while b"data: 005930" not in got:
            chunk = s.recv(4096)
            if not chunk:
                break
            got += chunk
    except OSError:
        pass
    latency = (time.perf_counter() - start) * 1000
    ok &= b"event: change" in got and b"data: 005930" in got
    s.close()
    return ok, "status %d, change event %s after %.0f ms" % (status, "seen" if ok else "missing", latency)


def read_answer_head(sock):
    buffer = b""
    while b"\r\n\r\n" not in buffer:
        chunk = sock.recv(4096)
        if not chunk:
            raise ConnectionError("closed")
        buffer += chunk
    head, buffer = buffer.split(b"\r\n\r\n", 1)
    lines = head.decode("latin-1").split("\r\n")
    headers = {l.partition(":")[0].strip().lower(): l.partition(":")[2].strip() for l in lines[1:]}
    return int(lines[0].split()[1]), headers, None, buffer


def probe_event_limit(_, root):
    srv = Server(root, "--max-subscribers", "2")
    try:
        held = []
        statuses = []
        for _ in range(3):
            s = connect(srv.port)
            s.sendall(b"GET /events?code=005930 HTTP/1.1\r\nHost: p\r\n\r\n")
            statuses.append(read_answer_head(s)[0])
            held.append(s)
        for s in held:
            s.close()
        return statuses == [200, 200, 503], "three subscribers with a limit of two: %s" % statuses
    finally:
        srv.stop()


def probe_feed(srv, root):
    """Trades on a feed's standard input reach /events and the files; bad
    lines are named and skipped."""
    s = connect(srv.port)
    s.sendall(b"GET /events?code=035420 HTTP/1.1\r\nHost: p\r\n\r\n")
    read_answer_head(s)
    feed = subprocess.Popen([TOOL, "feed", "--root", root, "--date", "20240105", "--prev-close", "035420=200000"],
                            stdin=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    start = time.perf_counter()
    feed.stdin.write("035420,090001,201000,10\nbad line\n035420,090130,203000,5\n")
    feed.stdin.flush()
    s.settimeout(5)
    got = b""
    try:
        while b"data: 035420" not in got:
            got += s.recv(4096)
    except OSError:
        pass
    latency = (time.perf_counter() - start) * 1000
    s.close()
    feed.stdin.write("035420,090200,199000,1\n")
    feed.stdin.close()
    err = feed.stderr.read()
    rc = feed.wait(10)
    status, _, data = get(srv.port, "/sisefile/Date/035420.dat")
    info = get(srv.port, "/sisefile/info/035420.dat")[2]
    import struct
    minutes = [struct.unpack("<7i", data[i:i + 28]) for i in range(0, len(data), 28)]
    current, change = struct.unpack("<2i", info[68:72] + info[76:80]) if len(info) == 128 else (None, None)
    ok = (b"event: change" in got and "line 2:" in err and rc == 1 and
          [m[1] for m in minutes] == [90000, 90100, 90200] and current == 199000 and change == -1000)
    return ok, "event after %.0f ms; minutes %s; current %s change %s; stderr %r" % (
        latency, [m[1] for m in minutes], current, change, err.strip())


PROBES = [
    ("ranges", probe_ranges),
    ("slow-headers", probe_slow_headers),
    ("idle-keepalive", probe_idle_keepalive),
    ("head-limits", probe_head_limits),
    ("big-body", probe_big_body),
    ("get-with-body", probe_get_with_body),
    ("pipelining", probe_pipelining),
    ("backlog", probe_backlog),
    ("connection-limits", probe_connection_limits),
    ("fifo", probe_fifo),
    ("query-rules", probe_query_rules),
    ("conditional", probe_conditional),
    ("chart-cache-memory", probe_chart_cache_memory),
    ("chart-etag-same-second", probe_chart_etag_same_second),
    ("rewrites", probe_rewrites),
    ("events", probe_events),
    ("event-limit", probe_event_limit),
    ("feed", probe_feed),
]


def main():
    failed = 0
    for name, probe in PROBES:
        if (ONLY and name not in ONLY) or name in SKIP:
            continue
        work = tempfile.mkdtemp(prefix="probe-")
        root = os.path.join(work, "root")
        sample(root)
        srv = Server(root)
        try:
            ok, seen = probe(srv, root)
        except Exception as e:   # a probe that breaks is a failure, with why
            ok, seen = False, "%s: %s" % (type(e).__name__, e)
        finally:
            srv.stop()
        failed += not ok
        print("%s %s: %s" % ("PASS" if ok else "FAIL", name, seen), flush=True)
    print("%d probes failed" % failed if failed else "all probes passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
