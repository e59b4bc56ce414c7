"""A JSON Schema validator of another make, Debian's python3-jsonschema (draft 2020-12), agrees
with quendel check: the schema files of the example tree and of the reference tree are valid
schemas, and the typed view (`quendel dump --json --schema`) of every selection of the example
tree, and of copies with one mistake planted each, validates exactly when `quendel check` of that
selection finds a value finding (every rule but schema-layer, which is about files)."""

import json
import os
import shutil
import socket
import subprocess

import pytest
from jsonschema import Draft202012Validator

TOOL = os.environ["QUENDEL_TOOL"]
WRITER = os.environ["QUENDEL_REFTREE_WRITER"]
SOURCE = os.environ["QUENDEL_SOURCE_DIR"]
SCHEMA = os.path.join(SOURCE, "examples", "shipped", "dev", "Quendel.schema.json")
SETTINGS = os.path.join(SOURCE, "examples", "host.ini")
VALUE_RULES = {"schema-type", "schema-range", "schema-enum", "schema-length",
               "schema-required", "schema-unknown-key"}

# Each planted in a copy of its own: (file below dev/Quendel, text, its replacement).
MISTAKES = {
    "range": [("Convex/CX5/ImgResXdr.pp", "MasterGain<2>", "MasterGain<30>")],
    "fraction": [("Clns/Cardiac/ImgResCln.pp", "Frames<1>", "Frames<1.5>")],
    "not-a-number": [("Convex/ImgResGrp.pp", "DycDesiredPivotValue<106>",
                      "DycDesiredPivotValue<1O6>")],
    "int-overflow": [("Convex/CX9/ImgResXdr.pp", "MasterGain<1>", "MasterGain<99999999999>")],
    "empty": [("Common/ImgResDisplay.pp", "Brightness<0>", "Brightness<>")],
    "bool-number": [("Common/ImgResDisplay.pp", "Invert<false>", "Invert<0>")],
    "float-overflow": [("Linear/LN18/ImgResXdr.pp", "Level<1.5>", "Level<" + "9" * 40 + ">")],
    "enum-word": [("Clns/Abdomen/ImgResCln.pp", "Mode<Medium>", "Mode<Medum>")],
    "enum-number": [("ImgResBase.pp", "HistogramBins<256>", "HistogramBins<300>")],
    "pattern": [("ImgResBase.pp", "Version<3.2.0>", "Version<3.2>")],
    "length": [("Convex/ImgResGrp.pp", ", 4.8>", ">")],
    "element": [("Common/ImgResDisplay.pp", "Pan<0, 0>", "Pan<0, 600>")],
    "exclusive": [("Convex/CX9/ImgResXdr.pp", "Value<0.9>", "Value<0>")],
    "required-key": [("ImgResBase.pp", "Alpha<0.6>", "")],
    "required-section": [("Common/ImgResDisplay.pp", "<Display>", "<Display:Old>"),
                         ("Common/ImgResFactory.pp", "<Display>", "<Display:Old>")],
    "unknown-key": [("Convex/CX5/Abdomen/ImgResCln.pp", "<Compression",
                     "<Display>\nBrightnes<1>\n<Compression")],
    "unknown-section": [("Convex/ImgResGrp.pp", "<Gain>", "<Gian>\nMasterGain<1>\n<Gain>")],
    "key-family": [("Clns/Vascular/ImgResCln.pp", "Default<", "soft<0, 1>\nDefault<")],
    # Not a value: the validator of the view cannot see it, and must find nothing.
    "layer": [("Clns/Abdomen/ImgResCln.pp", "Strength<3>",
               "Strength<3>\n<Gain>\nLateralGainLimits<-8, 8>")],
}


@pytest.fixture(autouse=True)
def offline(monkeypatch):
    """The metaschema must come with the package: nothing here reaches the network."""
    def refuse(*args, **kwargs):
        raise AssertionError("network access attempted")
    monkeypatch.setattr(socket.socket, "connect", refuse)
    monkeypatch.setattr(socket, "create_connection", refuse)


def tool(*args):
    result = subprocess.run([TOOL, *args], capture_output=True, text=True, cwd=SOURCE)
    assert result.returncode in (0, 1), (args, result.stderr)
    return result


def selections(tree):
    """Every group and transducer of the tree with every clinical setting it has."""
    listing = json.loads(tool("list", *tree, "--json").stdout)
    clinical = set(listing["clinical"])
    pairs = []
    for group in listing["groups"]:
        for transducer in group["transducers"]:
            pairs.append((group["name"], transducer["name"]))
            clinical.update(transducer["clinical"])
    return [(f, p, a) for f, p in pairs for a in sorted(clinical)]


def value_findings(tree, schema):
    """For each selection, whether quendel check finds a value finding and whether the
    third-party validator finds the typed view invalid; they must agree."""
    validator = Draft202012Validator(json.load(open(schema)))
    found = {}
    for f, p, a in selections(tree):
        selection = [*tree, "-F", f, "-P", p, "-A", a, "--schema", schema, "--json"]
        ours = {finding["code"] for finding in
                json.loads(tool("check", *selection).stdout)["findings"]} & VALUE_RULES
        view = json.loads(tool("dump", *selection).stdout)["view"]
        theirs = [error.message for error in validator.iter_errors(view)]
        assert bool(ours) == bool(theirs), ((f, p, a), sorted(ours), theirs)
        found[(f, p, a)] = bool(ours)
    return found


def planted(tmp_path, name):
    root = tmp_path / name
    shutil.copytree(os.path.join(SOURCE, "examples", "shipped"), root)
    for file, text, replacement in MISTAKES[name]:
        path = root / "dev" / "Quendel" / file
        content = path.read_text()
        assert text in content, (file, text)
        path.write_text(content.replace(text, replacement, 1))
    return root


def test_schema_files_are_valid_2020_12_schemas(tmp_path):
    Draft202012Validator.check_schema(json.load(open(SCHEMA)))
    subprocess.run([WRITER, str(tmp_path), "--sections", "40"], check=True, capture_output=True)
    reference = tmp_path / "dev" / "Quendel.schema.json"
    Draft202012Validator.check_schema(json.load(open(reference)))
    # The reference tree keeps the schema of its families, and so does the tree of the example.
    tree = ["--root", str(tmp_path), "--user-root", str(tmp_path / "userdefined"),
            "--store", "text"]
    assert "0 findings" in tool("check", *tree).stderr
    inferred = tmp_path / "inferred.json"
    tool("schema", "infer", "--settings", SETTINGS, "-o", str(inferred))
    Draft202012Validator.check_schema(json.load(open(inferred)))


def test_the_validator_agrees_on_every_selection_of_the_example_tree(tmp_path):
    tree = ["--settings", SETTINGS]
    assert not any(value_findings(tree, SCHEMA).values())
    packed = tmp_path / "dev" / "Quendel.bin"
    packed.parent.mkdir()
    tool("pack", os.path.join(SOURCE, "examples", "shipped", "dev", "Quendel"), "-o", str(packed))
    assert not any(value_findings([*tree, "--root", str(tmp_path), "--store", "bin"],
                                  SCHEMA).values())


@pytest.mark.parametrize("mistake", sorted(MISTAKES))
def test_the_validator_agrees_on_a_planted_mistake(tmp_path, mistake):
    root = planted(tmp_path, mistake)
    found = value_findings(["--settings", SETTINGS, "--root", str(root)], SCHEMA)
    # Each mistake reaches a selection, except the one no validator of values can see.
    assert any(found.values()) == (mistake != "layer"), found
    if mistake == "layer":
        assert "schema-layer" in tool("check", "--settings", SETTINGS, "--root", str(root)).stdout
