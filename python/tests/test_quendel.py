"""The Python module against the library's C++ API (asked through the quendel tool, which calls
it) and against the tool's reports, on the example tree and on a tree written here."""
import json
import os
import pathlib
import socket
import struct
import subprocess
import sys
import tempfile
import warnings

import pytest
import quendel

TOOL = os.environ.get("QUENDEL_TOOL", "build/bin/quendel")
HOST = "examples/host.ini"
TYPES = {str: "string", int: "int", float: "double", bool: "bool", list[str]: "string-list",
         list[int]: "int-list", list[float]: "float-list", list[bool]: "bool-list"}
# Texts that put the conversion rules to work; the layers above override some of them.
GENERATED = {"Int": "-2.7", "Bool": "0.0", "Word": '"True"', "Exp": "1e3", "Bad": "1, x, 3",
             "Mixed": "4.5, 6", "Floats": "0.1, 0.6, 1e3", "Quoted": '"a b", c', "Empty": ""}


def f32(number):
    return struct.unpack("f", struct.pack("f", number))[0]


def tool(*args, ok=(0, 1)):
    run = subprocess.run([TOOL, *map(str, args)], capture_output=True, text=True)
    assert run.returncode in ok, run.stderr
    return run


def tool_json(*args):
    document = json.loads(tool(*args, "--json", ok=(0, 1, 2)).stdout)
    assert document.pop("schema") == 1
    return document


def options(kw, chosen=()):
    """The tool's options for the module's keywords and selection."""
    args = [arg for flag, value in zip("FPA", chosen) for arg in (f"-{flag}", value)]
    for name, value in kw.items():
        flag = "--" + name.replace("_", "-")
        args += [flag] if value is True else [f"{flag}={v}" for v in
                                              (value if isinstance(value, list) else [value])]
    return args


def caught(call):
    """What call returns, and the messages of the warnings it gives."""
    with warnings.catch_warnings(record=True) as given:
        warnings.simplefilter("always")
        value = call()
    return value, [f"{w.category.__name__}: {w.message}" for w in given]


@pytest.fixture(scope="module")
def cases(tmp_path_factory):
    """name: ((F, P, A), keywords, the other selection for diff)"""
    root = tmp_path_factory.mktemp("trees")
    files = {"ImgResBase.pp": "<T>\n" + "".join(f"\t{k}<{v}>\n" for k, v in GENERATED.items()),
             "G/ImgResGrp.pp": "<T>\n\tInt<7>\n", "G/P/ImgResXdr.pp": "<T>\n\tFloats<2.5, -0.1>\n",
             "Clns/A/ImgResCln.pp": "<T>\n\tBool<true>\n", "Clns/B/ImgResCln.pp": "<T>\n\tExp<1>\n"}
    for name, text in files.items():
        (root / "dev/Quendel" / name).parent.mkdir(parents=True, exist_ok=True)
        (root / "dev/Quendel" / name).write_text(text)
    (root / "packed/dev").mkdir(parents=True)
    tool("pack", "examples/shipped/dev/Quendel", "-o", root / "packed/dev/Quendel.bin")
    tool("pack", root / "dev/Quendel", "-o", root / "dev/Quendel.bin")
    generated = {"root": root, "user_root": root / "none"}
    return {"example text": (("Convex", "CX5", "Abdomen"), {"settings": HOST}, {"probe": "CX9"}),
            "example bin": (("Linear", "LN18", "Vascular"),
                            {"settings": HOST, "root": root / "packed", "store": "bin"},
                            {"probe": "LN12"}),
            "generated text": (("G", "P", "A"), {**generated, "store": "text"}, {"clinical": "B"}),
            "generated bin": (("G", "P", "A"), {**generated, "store": "bin"}, {"clinical": "B"})}


@pytest.mark.parametrize("case", ["example text", "example bin", "generated text", "generated bin"])
def test_answers_and_reports_match_the_library_and_the_tool(cases, case):
    chosen, kw, to = cases[case]
    args = options(kw, chosen)
    sel = quendel.Selection(*chosen, **kw)
    assert sel.store == kw.get("store", "text")
    entries = sel.entries()
    dump = tool_json("dump", "--origin", *args)["entries"]
    assert entries == [(e["section"], e["key"], e["value"], e["origin"]) for e in dump]

    def same(call, question, type_):
        document = tool_json("get", *question, "--as", TYPES[type_], *args)
        expected = document["value"]
        if expected is not None and type_ in (float, list[float]):
            expected = float(expected) if type_ is float else [f32(float(x)) for x in expected]
        said = [f"CastWarning: {line}" for line in document.get("warnings", [])]
        if "conversion" in document:
            said.append(f"ConversionWarning: {document['conversion']}")
        assert caught(call) == (expected, said), question

    for section, key, _, _ in entries + [("Gain", "Nope", None, None)]:
        for type_ in TYPES:
            same(lambda: sel.get(section, key, type_), (section, key), type_)
        count = len(sel.get(section, key, list[str]) or [])
        for index in {0, max(count - 1, 0), count}:
            for type_ in (str, int, float, bool):
                same(lambda: sel.element(section, key, index, type_),
                     (section, key, f"--index={index}"), type_)
        if section in ("Gain", entries[0][0]):
            assert sel.explain(section, key) == tool_json("explain", section, key, *args)
    other = quendel.Selection(*[to.get(n, v) for n, v in zip(("group", "probe", "clinical"),
                                                                chosen)], **kw)
    to_args = [f"--to-{name}={value}" for name, value in to.items()]
    assert sel.diff(other) == tool_json("diff", *args, *to_args)
    assert quendel.selections(**kw) == tool_json("list", *options(kw))
    assert sel.files() == tool_json("files", *args)
    sel.reselect(other.group, other.probe, other.clinical)
    assert sel.entries() == other.entries() and sel.clinical == other.clinical


def test_lint_and_verify_match_the_tool(cases, tmp_path):
    for paths, kw in [((), {"root": "examples/lint"}), ((), {"settings": HOST}),
                      (("examples/lint/dev/Quendel/Convex",), {"disable": ["bom", "hash-cut"]})]:
        assert quendel.lint(*paths, **kw) == tool_json("lint", *paths, *options(kw))
    packed = cases["example bin"][1]["root"] / "dev/Quendel.bin"
    (tmp_path / "cut.bin").write_bytes(packed.read_bytes()[:4000])
    for path in [packed, tmp_path / "cut.bin", HOST, tmp_path / "none.bin"]:
        assert quendel.verify(path) == tool_json("verify", path)["results"][0]


def test_matrix_and_impact_match_the_tool(cases):
    kw = cases["example text"][1]
    assert (quendel.matrix("Gain", "MasterGain", **kw) ==
            tool_json("matrix", "Gain", "MasterGain", *options(kw)))
    packed = cases["example bin"][1]["root"]
    impact = quendel.impact(**kw, to_root=packed, to_store="bin")
    assert impact == tool_json("impact", *options({**kw, "to_root": packed, "to_store": "bin"}))
    assert impact["changes"] and not impact["added"]
    generated = cases["generated text"][1]
    assert quendel.impact(**generated, to_store="bin")["changes"] == []
    with pytest.raises(ValueError):
        quendel.impact(**kw)


def test_values_converted_as_the_library_converts(cases):
    chosen, kw, _ = cases["generated text"]
    sel = quendel.Selection(*chosen, **kw)
    cast = ["CastWarning: Warning! Number is casted to int"]
    for key, type_, default, value, said in [
            ("Int", int, None, 7, []), ("Mixed", list[int], None, [4, 6], cast),
            ("Bool", bool, None, True, []), ("Word", bool, False, True, []),
            ("Floats", list[float], None, [2.5, f32(-0.1)], []),
            ("Floats", list[float], [0, 0, 9.5], [2.5, f32(-0.1), 9.5], []),
            ("Floats", float, 1.5, 1.5, []), ("Exp", int, -1, -1, []), ("Bad", list[int], None, None, []),
            ("Quoted", list[str], None, ["a b", "c"], []), ("Nope", list[str], ["x"], ["x"], [])]:
        assert caught(lambda: sel.get("T", key, type_, default)) == (value, said), key
    assert sel.element("T", "Floats", 1, float) == -0.1 and sel.element("T", "Nope", 0, int, 3) == 3


def test_errors_and_warnings_say_what_the_tool_says(capfd):
    with quendel.Selection("Convex", "CX5", "Abdomen", settings=HOST) as sel:
        assert caught(lambda: sel.get("Persistence", "Alpha", int)) == (
            0, ["CastWarning: Warning! Number is casted to int",
                'ConversionWarning: "0.6" reads as 0 for an int query: the fraction is cut'])
        assert capfd.readouterr().out == ""
        for call in [lambda: sel.get("Gain", "MasterGain", dict),
                     lambda: sel.element("Gain", "TgcCurve", 0, list[int]),
                     lambda: sel.get("Gain", "MasterGain", int, "x")]:
            pytest.raises(TypeError, call)
    pytest.raises(ValueError, sel.get, "Gain", "MasterGain")
    pytest.raises(ValueError, quendel.Selection, store="tape")
    pytest.raises(ValueError, quendel.lint, disable=["nope"])
    with pytest.raises(quendel.SettingsError,
                       match="^cannot read the settings file no.ini: No such file or directory$"):
        quendel.Selection(settings="no.ini")
    # The last one reads no settings file, whatever the selections before it read.
    for chosen, kw in [(("Convx", "", "Abdomen"), {"settings": HOST, "strict": True}),
                       (("Convx", "CX5", "A"), {"settings": HOST}),
                       (("Convex",), {"settings": HOST, "root": "nowhere"}),
                       (("Convex",), {"root": "nowhere"})]:
        run = tool("dump", *options(kw, chosen), ok=(0, 2))
        if run.returncode == 0:
            lines = [f"warning: {m.split(': ', 1)[1]}" for m in caught(
                lambda: quendel.Selection(*chosen, **kw))[1]]
        else:
            with pytest.raises(quendel.SelectionError) as raised:
                quendel.Selection(*chosen, **kw)
            lines = str(raised.value).splitlines()
        assert run.stderr.splitlines() == [f"quendel dump: {line}" for line in lines]
    inherited = subprocess.run(["printenv", "CORVEL_SETTINGS"], capture_output=True, text=True)
    assert inherited.stdout.strip() == os.environ.get("CORVEL_SETTINGS", "")


def test_selections_release_their_stores():
    def select(times):
        for _ in range(times):
            with quendel.Selection("Convex", "CX5", "Abdomen", settings=HOST) as sel:
                sel.get("Gain", "TgcCurve", list[float])

    def rss():
        with open("/proc/self/statm") as statm:
            return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")

    select(1000)
    before = rss()
    select(10000)
    assert rss() - before < 1 << 20


@pytest.mark.parametrize("kind", ["fifo", "socket", "directory"])
@pytest.mark.parametrize("place", ["G/P/ImgResXdr.pp", "Common/Listed.pp", "Quendel.bin"])
def test_paths_that_are_not_regular_files_do_not_block(kind, place):
    # A short directory: a socket's path must fit in 108 bytes.
    with tempfile.TemporaryDirectory(prefix="q") as short:
        check_not_regular(pathlib.Path(short), kind, place)


def check_not_regular(tmp_path, kind, place):
    tree = tmp_path / "dev/Quendel"
    files = {"FileConfig.pp": "FileNumbers<1>\nFile0<Common/Listed.pp>\n",
             "ImgResBase.pp": "<S>\nKey<base>\n", "G/ImgResGrp.pp": "<S>\nKey<group>\n",
             "G/P/ImgResXdr.pp": "<S>\nKey<probe>\n", "Common/Listed.pp": "<S>\nOther<1>\n"}
    for name, text in files.items():
        (tree / name).parent.mkdir(parents=True, exist_ok=True)
        if name != place:
            (tree / name).write_text(text)
    special = tmp_path / "dev" / place if place.endswith(".bin") else tree / place
    if kind == "fifo":
        os.mkfifo(special)
    elif kind == "directory":
        special.mkdir()
    else:
        with socket.socket(socket.AF_UNIX) as server:
            server.bind(str(special))
    # In a process of its own: a read that blocked would be ended by the time limit.
    store = "bin" if place.endswith(".bin") else "text"
    script = ("import json, warnings, quendel\n"
              "with warnings.catch_warnings(record=True) as given:\n"
              "    warnings.simplefilter('always')\n"
              "    try:\n"
              f"        sel = quendel.Selection('G', 'P', root={str(tmp_path)!r}, store={store!r})\n"
              "        print(json.dumps([sel.get('S', 'Key'), [str(w.message) for w in given]]))\n"
              "    except quendel.SelectionError as error:\n"
              "        print(json.dumps([None, [str(error)]]))\n")
    run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                         timeout=30)
    assert run.returncode == 0, run.stderr
    value, given = json.loads(run.stdout)
    what = {"fifo": "a FIFO", "socket": "a socket", "directory": "a directory"}[kind]
    if store == "bin":
        assert value is None and f"{what}, not a regular file" in given[0], given
        return
    assert value == ("group" if place.startswith("G/") else "probe")
    assert [m for m in given if f"is not a regular file ({what}): {special}" in m], given


def test_value_matrix_runs_from_any_directory(tmp_path):
    script = os.path.abspath("examples/python/value_matrix.py")
    env = {**os.environ, "PYTHONPATH": os.path.abspath(os.environ.get("PYTHONPATH", "."))}
    helped = subprocess.run([sys.executable, script, "--help"], capture_output=True, text=True,
                            cwd=tmp_path, env=env)
    assert helped.returncode == 0 and "relative to itself." in helped.stdout, helped.stdout
    run = subprocess.run([sys.executable, script, "Gain", "MasterGain"], capture_output=True,
                         text=True, cwd=tmp_path, env=env)
    assert run.returncode == 0, run.stderr
    assert run.stdout.splitlines()[2].split() == [
        "Convex/CX5", "3", "[user-defined]", "2", "[transducer]", "2", "[transducer]"]
