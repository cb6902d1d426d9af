import concurrent.futures
import datetime
import errno
import os
import pickle
import signal
import threading

import pytest
from conftest import lrx_message, zero_stamps

import lrxpack


def test_round_trip(replays, samples, tmp_path, capfd):
    archive, out, seen = tmp_path / "season.lrx", tmp_path / "out", []
    lrxpack.add(str(archive), replays, jobs=2, progress=lambda *call: seen.append(call))
    assert {(n, 0) for n in samples} <= set(seen) and {p for _, p in seen} <= set(range(101))
    entries = lrxpack.list(archive)
    assert [(e.name, e.raw_size) for e in entries] == [(n, len(d)) for n, d in samples.items()]
    recent = datetime.datetime.now() - datetime.timedelta(minutes=2)
    assert all(e.packed_size > 0 and e.date > recent for e in entries)
    assert all(lrxpack.read(archive, name.upper()) == data for name, data in samples.items())
    assert [(r.entry, r.ok, r.problem) for r in lrxpack.test(archive)] == [
        (e, True, "") for e in entries]

    seen.clear()
    lrxpack.extract(archive, out, progress=lambda name, percent: seen.append(name))
    assert {p.name: p.read_bytes() for p in out.iterdir()} == samples and set(seen) == set(samples)
    seen.clear()
    lrxpack.delete(archive, ["RACE1.RPL", "absent.rpl"], progress=lambda *call: seen.append(call))
    assert seen and {name for name, _ in seen} == {None}
    lrxpack.extract(archive, tmp_path / "one", "tiny.rpl")  # one name as a str
    lrxpack.extract(archive, tmp_path / "none", [])  # no names: nothing, not everything
    assert os.listdir(tmp_path / "one") == ["tiny.rpl"] and not (tmp_path / "none").exists()

    data = bytearray(zero_stamps(archive.read_bytes()))
    data[100:200] = bytes(b ^ 0x5A for b in data[100:200])  # inside race2.rpl's packed bytes
    archive.write_bytes(data)
    assert [(r.entry.name, r.ok, bool(r.problem)) for r in lrxpack.test(archive)] == [
        ("race2.rpl", False, True), ("edge.rpl", True, False), ("tiny.rpl", True, False)]
    with pytest.raises(lrxpack.Error) as raised:
        lrxpack.read(archive, "race2.rpl")
    assert (raised.value.path, raised.value.entry) == (str(archive), "race2.rpl")
    assert [(e.name, e.date) for e in lrxpack.list(archive)] == [
        (n, None) for n in list(samples)[1:]]  # no date, still listed
    lrxpack.delete(archive, list(samples)[1:])  # the emptied archive is removed, a success
    assert not archive.exists()
    assert capfd.readouterr() == ("", "")  # a library keeps off the program's output


@pytest.mark.parametrize("overwrite, replaced", [("skip", ""), ("always", "race1 race2 edge"),
                                                 ("ask", "race2")])
def test_overwrite(replays, samples, tmp_path, overwrite, replaced):
    archive, out, asked = tmp_path / "a.lrx", tmp_path / "out", []
    lrxpack.add(archive, replays)
    out.mkdir()
    for name in ("race1.rpl", "race2.rpl", "edge.rpl"):
        (out / name).write_bytes(b"old")
    if overwrite == "ask":
        overwrite = lambda path: asked.append(path) or path.endswith("race2.rpl")
    lrxpack.extract(archive, out, overwrite=overwrite)
    new = {p.name for p in out.iterdir() if p.read_bytes() == samples[p.name]}
    assert new == {f"{name}.rpl" for name in replaced.split()} | {"tiny.rpl"}
    if asked:  # once per existing file, with its path
        assert sorted(asked) == [str(out / n) for n in ("edge.rpl", "race1.rpl", "race2.rpl")]


@pytest.mark.parametrize("call, lrx, code, about", [
    (lambda: lrxpack.list("missing.lrx"), ["list", "missing.lrx"], 15, "missing.lrx"),
    (lambda: lrxpack.add("a.lrx", ["gone.rpl"]), ["add", "a.lrx", "gone.rpl"], 21, "gone.rpl"),
    (lambda: lrxpack.read("a\0.lrx", "x"), None, None, None),
    (lambda: lrxpack.extract("a.lrx", "out", overwrite="ask"), None, None, None),
    (lambda: lrxpack.add("a.lrx", ["x.rpl"], jobs=0), None, None, None),
])
def test_errors(tmp_path, monkeypatch, call, lrx, code, about):
    monkeypatch.chdir(tmp_path)
    with pytest.raises(lrxpack.Error if code else ValueError) as raised:
        call()
    assert not os.listdir(tmp_path)
    if code:  # else refused before the engine is called
        failure, fields = raised.value, (code, errno.ENOENT, about, None)
        assert (failure.code, failure.errno, failure.path, failure.entry) == fields
        assert str(failure).endswith(": No such file or directory")
        assert str(failure) == lrx_message(*lrx)
        copy = pickle.loads(pickle.dumps(failure))
        assert (str(copy), copy.code, copy.errno, copy.path, copy.entry) == (str(failure), *fields)


def test_two_archives_at_once(replays, tmp_path):
    together = threading.Barrier(2, timeout=60)
    work = [(tmp_path / "a.lrx", replays[:2]), (tmp_path / "b.lrx", replays[2:])]

    def pack(archive, files, meet):
        met = []  # each thread waits for the other once: both calls are in the engine at once
        progress = lambda *_: meet and not met and met.append(together.wait())
        lrxpack.add(archive, files, jobs=1, progress=progress)
        lrxpack.extract(archive, archive.with_suffix(".out"), jobs=1)

    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        for running in [pool.submit(pack, *w, True) for w in work]:
            running.result()
    for archive, files in work:  # each alone, one after the other
        alone = archive.with_suffix(".alone")
        pack(alone, files, False)
        assert zero_stamps(archive.read_bytes()) == zero_stamps(alone.read_bytes())
        out = archive.with_suffix(".out")
        assert all((out / f.name).read_bytes() == f.read_bytes() for f in files)


class Stop(Exception):
    pass


def stop(*_):
    raise Stop


def interrupt(*_):
    signal.raise_signal(signal.SIGINT)  # Ctrl+C


@pytest.mark.parametrize("call, raised", [
    (lambda a, r, out: lrxpack.add(a, r[:1], progress=stop), Stop),
    (lambda a, r, out: lrxpack.add(a, r[:1], progress=interrupt), KeyboardInterrupt),
    (lambda a, r, out: lrxpack.delete(a, "edge.rpl", progress=stop), Stop),
    (lambda a, r, out: lrxpack.extract(a, out, progress=stop), Stop),
    (lambda a, r, out: lrxpack.extract(a, r[0].parent, overwrite=stop), Stop),
])
def test_cancel_leaves_everything_as_it_was(replays, samples, tmp_path, call, raised):
    archive, out = tmp_path / "a.lrx", tmp_path / "out"
    lrxpack.add(archive, replays[1:])
    files = lambda: [sorted(set(os.listdir(f)) - {"out"}) for f in (tmp_path, replays[0].parent)]
    before = archive.read_bytes(), files()
    with pytest.raises(raised):
        call(archive, replays, out)
    assert (archive.read_bytes(), files()) == before
    assert all(r.read_bytes() == samples[r.name] for r in replays)
    extracted = {p.name: p.read_bytes() for p in out.glob("*")}  # whole files only
    assert len(extracted) < 3 and all(samples[name] == data for name, data in extracted.items())
