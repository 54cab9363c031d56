#!/usr/bin/env python3
"""docs/keymap.schema.json, checked with a real validator (python3-jsonschema):
it is a valid draft-07 schema, it accepts the default keymap and every
example in docs/keymap.md, and on every small file of the keymap parser's
own cases it agrees with Quillo: a file is valid exactly when Quillo reads it
without a warning or an error. (Which names a file defines as its own actions
is beyond a schema: a key bound to an undefined name that could be one is
left to Quillo's warning.)"""
import json
import os
import re
import unittest

import jsonschema

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def read_json(*parts):
    with open(os.path.join(ROOT, *parts), encoding="utf-8") as file:
        return json.load(file)


SCHEMA = read_json("docs", "keymap.schema.json")
VALIDATOR = jsonschema.Draft7Validator(SCHEMA)


def problems(document):
    return [error.message for error in VALIDATOR.iter_errors(document)]


class KeymapSchema(unittest.TestCase):
    def test_it_is_a_draft_7_schema(self):
        jsonschema.Draft7Validator.check_schema(SCHEMA)

    def test_the_default_keymap_is_valid(self):
        self.assertEqual(problems(read_json("Quillo", "Resources", "keymap.json")), [])

    def test_every_example_of_the_guide_is_valid(self):
        with open(os.path.join(ROOT, "docs", "keymap.md"), encoding="utf-8") as file:
            blocks = re.findall(r"```json\n(.*?)```", file.read(), re.S)
        self.assertGreater(len(blocks), 3)
        for block in blocks:
            example = json.loads(block)
            # A focus rule on its own is shown as it stands in "allow".
            if "focused" in example:
                example = {"focus": {"allow": [example]}}
            with self.subTest(block[:60]):
                self.assertEqual(problems(example), [])

    def test_it_agrees_with_quillo_on_every_parser_case(self):
        cases = read_json("tests", "QuilloCore", "fixtures", "keymap_parse.json")["cases"]
        checked = 0
        for case in cases:
            try:
                document = json.loads(case["text"])
            except ValueError:
                continue  # not JSON: nothing for a schema to say
            warnings = case.get("warnings", [])
            if any("maps to unknown action" in warning for warning in warnings):
                continue
            quillo_accepts = "error" not in case and not warnings
            with self.subTest(case["text"][:80]):
                self.assertEqual(problems(document) == [], quillo_accepts, problems(document))
            checked += 1
        self.assertGreater(checked, 25)

    def test_it_refuses_what_quillo_warns_about(self):
        wrong = [
            {"keys": {"esc": "archive"}},
            {"keys": {"shift+e": "archive"}},
            {"keys": {"e": "Archive now"}},
            {"composeKeys": {"return": "send"}},
            {"anywhereKeys": {"e": "archive"}},
            {"actions": {"send": {}}},
            {"actions": {"archive": {"menu": [["Message", "**"]]}}},
            {"actions": {"archive": {"menu": [["**", "Archive", "Now"]]}}},
            {"actions": {"archive": {"menu": [["Message", " "]]}}},
            {"actions": {"archive all": {"key": "down"}}},
            {"focus": {"allow": [{"focused": {"subrole": "AXStandardWindow"}}]}},
            {"version": 2},
        ]
        for document in wrong:
            with self.subTest(json.dumps(document)):
                self.assertNotEqual(problems(document), [])

    def test_sequences_of_two_keys(self):
        right = [
            {"keys": {"g i": "archive", "g I": "markRead", "ctrl+x e": "forward",
                      "g return": "openMessage", "g cmd+r": "reply"}},
            {"composeKeys": {"cmd+k s": "send"}},
            {"anywhereKeys": {"ctrl+x c": "copy"}},
        ]
        for document in right:
            with self.subTest(json.dumps(document)):
                self.assertEqual(problems(document), [])
        wrong = [
            {"keys": {"g i x": "archive"}},
            {"keys": {"g  i": "archive"}},
            {"keys": {" g": "archive"}},
            {"keys": {"g shift+i": "archive"}},
            {"keys": {"g esc": "archive"}},
            {"keys": {"g i": "go nowhere"}},
            {"composeKeys": {"k s": "send"}},
            {"anywhereKeys": {"c c": "copy"}},
        ]
        for document in wrong:
            with self.subTest(json.dumps(document)):
                self.assertNotEqual(problems(document), [])

    def test_actions_of_the_files_own(self):
        right = [
            {"keys": {"x": "moveToReceipts", "g r": "moveToReceipts"},
             "actions": {"moveToReceipts": {"menu": ["Message › Move To › Receipts",
                                                     ["**", "Receipts"]],
                                            "title": "Move to Receipts",
                                            "in": ["messageList", "openMessage"]},
                         "moveAgain": {"key": "down", "in": ["messageList"]}}},
            {"actions": {"archive": {"menu": ["Message › Archive"]}}},
        ]
        for document in right:
            with self.subTest(json.dumps(document)):
                self.assertEqual(problems(document), [])
        wrong = [
            {"actions": {"9lives": {"key": "down"}}},
            {"actions": {"none": {"key": "down"}}},
            {"actions": {"x" * 41: {"key": "down"}}},
            {"actions": {"tidy": {}}},
            {"actions": {"tidy": {"menu": ["Message ›  › Tidy"]}}},
            {"actions": {"tidy": {"menu": ["Scripts › Tidy"], "in": ["compose"]}}},
            {"actions": {"tidy": {"menu": ["Scripts › Tidy"], "in": []}}},
            {"actions": {"tidy": {"menu": ["Scripts › Tidy"], "title": " "}}},
            {"actions": {"tidy": {"menu": ["Scripts › Tidy"], "title": "x" * 61}}},
            {"actions": {"archive": {"menu": ["Message › Archive"], "title": "Stash"}}},
            # More members than the built-in actions and 64 own ones.
            {"actions": {"own%02d" % i: {"key": "down"} for i in range(86)}},
            {"composeKeys": {"cmd+shift+p": "plainText"}},
        ]
        for document in wrong:
            with self.subTest(json.dumps(document)[:80]):
                self.assertNotEqual(problems(document), [])

    def test_an_editor_may_name_the_schema(self):
        self.assertEqual(problems({"$schema": "./keymap.schema.json", "keys": {"e": "archive"}}), [])


if __name__ == "__main__":
    unittest.main()
