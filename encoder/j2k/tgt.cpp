#include "encoder/j2k/tgt.h"

#include <cstdlib>

#include "encoder/j2k/bio.h"

opj_tgt_tree* tgt_create(int numleafsh, int numleafsv) {
  int nplh[32];
  int nplv[32];
  opj_tgt_tree* tree = static_cast<opj_tgt_tree*>(std::calloc(1, sizeof(opj_tgt_tree)));
  if (!tree) return nullptr;
  tree->numleafsh = numleafsh;
  tree->numleafsv = numleafsv;

  int numlvls = 0;
  nplh[0] = numleafsh;
  nplv[0] = numleafsv;
  tree->numnodes = 0;
  int n;
  do {
    n = nplh[numlvls] * nplv[numlvls];
    nplh[numlvls + 1] = (nplh[numlvls] + 1) / 2;
    nplv[numlvls + 1] = (nplv[numlvls] + 1) / 2;
    tree->numnodes += n;
    ++numlvls;
  } while (n > 1 && numlvls < 31);

  if (tree->numnodes == 0) {
    std::free(tree);
    return nullptr;
  }
  tree->nodes = static_cast<opj_tgt_node*>(std::calloc(tree->numnodes, sizeof(opj_tgt_node)));
  if (!tree->nodes) {
    std::free(tree);
    return nullptr;
  }

  // Each level's parents follow it in the node array; two columns and two
  // rows of a level share one parent.
  opj_tgt_node* node = tree->nodes;
  opj_tgt_node* parentnode = &tree->nodes[tree->numleafsh * tree->numleafsv];
  opj_tgt_node* parentnode0 = parentnode;
  for (int i = 0; i < numlvls - 1; ++i) {
    for (int j = 0; j < nplv[i]; ++j) {
      int k = nplh[i];
      while (--k >= 0) {
        node->parent = parentnode;
        ++node;
        if (--k >= 0) {
          node->parent = parentnode;
          ++node;
        }
        ++parentnode;
      }
      if ((j & 1) || j == nplv[i] - 1) {
        parentnode0 = parentnode;
      } else {
        parentnode = parentnode0;
      }
    }
  }
  node->parent = nullptr;
  tgt_reset(tree);
  return tree;
}

void tgt_destroy(opj_tgt_tree* tree) {
  if (!tree) return;
  std::free(tree->nodes);
  std::free(tree);
}

void tgt_reset(opj_tgt_tree* tree) {
  if (!tree) return;
  for (int i = 0; i < tree->numnodes; ++i) {
    tree->nodes[i].value = 999;
    tree->nodes[i].low = 0;
    tree->nodes[i].known = 0;
  }
}

void tgt_setvalue(opj_tgt_tree* tree, int leafno, int value) {
  opj_tgt_node* node = &tree->nodes[leafno];
  while (node && node->value > value) {
    node->value = value;
    node = node->parent;
  }
}

void tgt_encode(opj_bio* bio, opj_tgt_tree* tree, int leafno, int threshold) {
  opj_tgt_node* stk[31];
  opj_tgt_node** stkptr = stk;
  opj_tgt_node* node = &tree->nodes[leafno];
  while (node->parent) {
    *stkptr++ = node;
    node = node->parent;
  }
  int low = 0;
  for (;;) {
    if (low > node->low) {
      node->low = low;
    } else {
      low = node->low;
    }
    while (low < threshold) {
      if (low >= node->value) {
        if (!node->known) {
          bio_write(bio, 1, 1);
          node->known = 1;
        }
        break;
      }
      bio_write(bio, 0, 1);
      ++low;
    }
    node->low = low;
    if (stkptr == stk) break;
    node = *--stkptr;
  }
}
