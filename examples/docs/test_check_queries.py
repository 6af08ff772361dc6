#!/usr/bin/env python3
"""Tests of check_queries.py: the query expansion and the word-based evaluator.

    python3 -m unittest examples/docs/test_check_queries.py
"""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_queries as cq  # noqa: E402


class ExpandTemplate(unittest.TestCase):
    def test_values_and_substring_groups(self):
        self.assertEqual(cq.expand_template("see $2 in @1(0^3)", ["defgh", "abc"], 2),
                         "see abc in def")
        self.assertEqual(cq.expand_template("see $2 in @1(2^10)", ["defgh", "abc"], 2),
                         "see abc in fgh")
        self.assertEqual(cq.expand_template("x @1(9^2) y", ["abc"], 1), "x  y")

    def test_groups_must_start_at_one_without_gaps(self):
        self.assertEqual(cq.expand_template("a @2(0^3)", ["xyz", "uvw"], 2), "a @2(0^3)")
        self.assertEqual(cq.expand_template("@1(0^2) @3(0^2)", ["abcd", "efgh", "ijkl"], 3),
                         "ab @3(0^2)")

    def test_group_without_parenthesis_or_closing_stays(self):
        self.assertEqual(cq.expand_template("@1) and", ["abc"], 1), "@1) and")
        self.assertEqual(cq.expand_template("@1(0^2 open", ["abc"], 1), "@1(0^2 open")

    def test_dollar_one_matches_start_of_dollar_ten(self):
        values = list("ABCDEFGHIJ")
        # "$1" finds the start of "$10": value 1 and the "0" stay, value 10 is not inserted
        self.assertEqual(cq.expand_template("x $10", values, 10), "x A0")
        # with "$1" first, "$10" gets value 10 and one blank for its second digit
        self.assertEqual(cq.expand_template("$1 $10.", values, 10), "A J .")
        # only the first occurrence of each number is replaced
        self.assertEqual(cq.expand_template("$2 $2", ["a", "b"], 2), "b $2")

    def test_values_beyond_the_attribute_count_stay(self):
        self.assertEqual(cq.expand_template("$1 $3", ["a", "b", "c"], 2), "a $3")
        self.assertEqual(cq.expand_template("$2 end", ["a"], 2), " end")

    def test_instance_query_prefers_a_non_empty_instance_template(self):
        el = cq.Element("P", 1, "E", "e.ins", "$1 AND pump", ["Model", "Station"])
        self.assertEqual(cq.instance_query(el, "K1", ["ESH", "STN-01"], {"K1": "$2 x"}),
                         "STN-01 x")
        self.assertEqual(cq.instance_query(el, "K1", ["ESH", "STN-01"], {"K1": " "}),
                         "ESH AND pump")


class Evaluate(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        for name, files in {"a": {"1.txt": "Gate valve DN 150 on STN-01.",
                                  "2.html": "<p>Pump <b>ES</b>-101 &amp; impeller</p>"},
                            "b": {"1.txt": "valve gate STN 01 check-valve"}}.items():
            folder = os.path.join(self.dir.name, name)
            os.makedirs(folder)
            with open(os.path.join(folder, "book.ini"), "w") as f:
                f.write("[book]\nTITLE=%s\n" % name.upper())
            for fname, text in files.items():
                with open(os.path.join(folder, fname), "w") as f:
                    f.write(text)
        self.books = cq.read_books(self.dir.name)

    def tearDown(self):
        self.dir.cleanup()

    def hit(self, query):
        return sorted(b.name for b, _ in cq.books_hit(query, self.books))

    def test_and_needs_every_term_in_the_same_book(self):
        self.assertEqual(self.hit("gate AND valve"), ["a", "b"])
        self.assertEqual(self.hit("gate impeller"), ["a"])
        self.assertEqual(self.hit("check AND impeller"), [])

    def test_phrases_and_punctuated_words_need_adjacent_words(self):
        self.assertEqual(self.hit('"gate valve"'), ["a"])
        self.assertEqual(self.hit("STN-01"), ["a", "b"])
        self.assertEqual(self.hit("ES-101 AND DN 150"), ["a"])

    def test_or_not_parentheses_prefix_and_case(self):
        self.assertEqual(self.hit("impeller OR check"), ["a", "b"])
        self.assertEqual(self.hit("valve NOT impeller"), ["b"])
        self.assertEqual(self.hit("(check OR pump) AND gate"), ["a", "b"])
        self.assertEqual(self.hit("IMPELL*"), ["a"])
        self.assertEqual(self.hit("GATE Valve"), ["a", "b"])

    def test_unbalanced_parenthesis_is_text_and_empty_query_hits_nothing(self):
        self.assertEqual(self.hit("(gate valve"), ["a", "b"])
        self.assertEqual(self.hit("+ -"), [])

    def test_hits_count_every_occurrence(self):
        counts = {b.name: n for b, n in cq.books_hit("valve", self.books)}
        self.assertEqual(counts, {"a": 1, "b": 2})


if __name__ == "__main__":
    unittest.main()
