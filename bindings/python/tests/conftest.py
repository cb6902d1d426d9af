import os
import pathlib
import struct
import subprocess
import sys

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[3]
BIN = ROOT / "build" / "native" / "bin"
os.environ.setdefault("LRXPACK_LIBRARY", str(ROOT / "build" / "native" / "lib" / "liblrxpack.so"))
sys.path.insert(0, str(ROOT / "bindings" / "python"))

# (file, replaygen options): races of two sizes, an edge case and a tiny one.
SAMPLES = [
    ("race1.rpl", ["--seed", "1", "--cars", "8", "--frames", "600"]),
    ("race2.rpl", ["--seed", "2", "--cars", "12", "--frames", "900"]),
    ("edge.rpl", ["--profile", "edge", "--seed", "4"]),
    ("tiny.rpl", ["--profile", "tiny", "--seed", "5"]),
]


@pytest.fixture(scope="session")
def samples(tmp_path_factory):
    """{name: bytes} of the sample replays, written into a shared folder."""
    folder = tmp_path_factory.mktemp("replays")
    for name, options in SAMPLES:
        subprocess.run([BIN / "replaygen", *options, folder / name], check=True)
    return {name: (folder / name).read_bytes() for name, _ in SAMPLES}


@pytest.fixture
def replays(samples, tmp_path):
    """The sample replays' paths in a folder of the test's own."""
    folder = tmp_path / "replays"
    folder.mkdir()
    for name, data in samples.items():
        (folder / name).write_bytes(data)
    return [folder / name for name in samples]


def zero_stamps(data):
    """The archive's bytes with every entry's date stamp zeroed, walking its
    directory records back from the end."""
    data, end = bytearray(data), len(data)
    while end > 12:
        record = end - 32
        (packed,) = struct.unpack_from("<i", data, record + 18)
        data[record + 22 : end] = bytes(10)
        end = record - packed
    return bytes(data)


def lrx_message(*arguments):
    """What lrx prints on stderr for these arguments, without "lrx: "."""
    command = [BIN / "lrx", "--quiet", *arguments]
    stderr = subprocess.run(command, capture_output=True, text=True).stderr
    return stderr.strip().removeprefix("lrx: ")
