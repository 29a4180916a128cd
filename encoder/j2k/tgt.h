// Tag trees for the packet headers: inclusion and zero bit-plane values of
// the code-blocks of a precinct, coded top-down from the root.
#pragma once

struct opj_bio;

struct opj_tgt_node {
  opj_tgt_node* parent;
  int value;
  int low;
  int known;
};

struct opj_tgt_tree {
  int numleafsh;
  int numleafsv;
  int numnodes;
  opj_tgt_node* nodes;
};

// A tree of h x v leaves, reset; null when it would have no node or cannot
// be allocated.
opj_tgt_tree* tgt_create(int numleafsh, int numleafsv);
void tgt_destroy(opj_tgt_tree* tree);
void tgt_reset(opj_tgt_tree* tree);
void tgt_setvalue(opj_tgt_tree* tree, int leafno, int value);
void tgt_encode(opj_bio* bio, opj_tgt_tree* tree, int leafno, int threshold);
