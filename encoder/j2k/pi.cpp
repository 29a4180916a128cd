#include "encoder/j2k/pi.h"

#include <cstdlib>

#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/image.h"

namespace {

inline int int_max(int a, int b) { return a > b ? a : b; }
inline int int_min(int a, int b) { return a < b ? a : b; }
inline int int_ceildiv(int a, int b) { return (a + b - 1) / b; }
inline int int_ceildivpow2(int a, int b) { return (a + (1 << b) - 1) >> b; }
inline int int_floordivpow2(int a, int b) { return a >> b; }

// Component-position-resolution-layer order; resumes after the packet last
// returned.
int pi_next_cprl(opj_pi_iterator* pi) {
  opj_pi_comp* comp = nullptr;
  opj_pi_resolution* res = nullptr;
  int levelno, trx0, try0, trx1, try1, rpx, rpy, prci, prcj;
  long index;
  if (!pi->first) {
    comp = &pi->comps[pi->compno];
    goto LABEL_SKIP;
  }
  pi->first = 0;
  for (pi->compno = pi->poc.compno0; pi->compno < pi->poc.compno1; pi->compno++) {
    comp = &pi->comps[pi->compno];
    pi->dx = 0;
    pi->dy = 0;
    for (int resno = 0; resno < comp->numresolutions; resno++) {
      res = &comp->resolutions[resno];
      const int dx = comp->dx * (1 << (res->pdx + comp->numresolutions - 1 - resno));
      const int dy = comp->dy * (1 << (res->pdy + comp->numresolutions - 1 - resno));
      pi->dx = !pi->dx ? dx : int_min(pi->dx, dx);
      pi->dy = !pi->dy ? dy : int_min(pi->dy, dy);
    }
    if (!pi->tp_on) {
      pi->poc.ty0 = pi->ty0;
      pi->poc.tx0 = pi->tx0;
      pi->poc.ty1 = pi->ty1;
      pi->poc.tx1 = pi->tx1;
    }
    for (pi->y = pi->poc.ty0; pi->y < pi->poc.ty1; pi->y += pi->dy - (pi->y % pi->dy)) {
      for (pi->x = pi->poc.tx0; pi->x < pi->poc.tx1; pi->x += pi->dx - (pi->x % pi->dx)) {
        for (pi->resno = pi->poc.resno0; pi->resno < int_min(pi->poc.resno1, comp->numresolutions); pi->resno++) {
          res = &comp->resolutions[pi->resno];
          levelno = comp->numresolutions - 1 - pi->resno;
          trx0 = int_ceildiv(pi->tx0, comp->dx << levelno);
          try0 = int_ceildiv(pi->ty0, comp->dy << levelno);
          trx1 = int_ceildiv(pi->tx1, comp->dx << levelno);
          try1 = int_ceildiv(pi->ty1, comp->dy << levelno);
          rpx = res->pdx + levelno;
          rpy = res->pdy + levelno;
          if (!((pi->y % (comp->dy << rpy) == 0) || ((pi->y == pi->ty0) && ((try0 << levelno) % (1 << rpy))))) {
            continue;
          }
          if (!((pi->x % (comp->dx << rpx) == 0) || ((pi->x == pi->tx0) && ((trx0 << levelno) % (1 << rpx))))) {
            continue;
          }
          if (res->pw == 0 || res->ph == 0) continue;
          if (trx0 == trx1 || try0 == try1) continue;
          prci = int_floordivpow2(int_ceildiv(pi->x, comp->dx << levelno), res->pdx) - int_floordivpow2(trx0, res->pdx);
          prcj = int_floordivpow2(int_ceildiv(pi->y, comp->dy << levelno), res->pdy) - int_floordivpow2(try0, res->pdy);
          pi->precno = prci + prcj * res->pw;
          for (pi->layno = pi->poc.layno0; pi->layno < pi->poc.layno1; pi->layno++) {
            index = static_cast<long>(pi->layno) * pi->step_l + static_cast<long>(pi->resno) * pi->step_r +
                    static_cast<long>(pi->compno) * pi->step_c + static_cast<long>(pi->precno) * pi->step_p;
            if (!pi->include[index]) {
              pi->include[index] = 1;
              return 1;
            }
          LABEL_SKIP:;
          }
        }
      }
    }
  }
  return 0;
}

}  // namespace

opj_pi_iterator* pi_initialise_encode(const opj_image* image, opj_cp* cp, int tileno, J2K_T2_MODE t2_mode) {
  opj_tcp* tcp = &cp->tcps[tileno];
  const int count = tcp->numpocs + 1;
  opj_pi_iterator* pi = static_cast<opj_pi_iterator*>(std::calloc(count, sizeof(opj_pi_iterator)));
  if (!pi) return nullptr;
  int maxres = 0;
  int maxprec = 0;

  for (int pino = 0; pino < count; ++pino) {
    opj_pi_iterator* it = &pi[pino];
    const int p = tileno % cp->tw;
    const int q = tileno / cp->tw;
    it->tx0 = int_max(cp->tx0 + p * cp->tdx, image->x0);
    it->ty0 = int_max(cp->ty0 + q * cp->tdy, image->y0);
    it->tx1 = int_min(cp->tx0 + (p + 1) * cp->tdx, image->x1);
    it->ty1 = int_min(cp->ty0 + (q + 1) * cp->tdy, image->y1);
    it->tp_on = cp->tp_on;
    it->numcomps = image->numcomps;
    it->comps = static_cast<opj_pi_comp*>(std::calloc(image->numcomps, sizeof(opj_pi_comp)));
    if (!it->comps) {
      pi_destroy(pi, cp, tileno);
      return nullptr;
    }
    for (int compno = 0; compno < it->numcomps; ++compno) {
      opj_pi_comp* comp = &it->comps[compno];
      const opj_tccp* tccp = &tcp->tccps[compno];
      comp->dx = image->comps[compno].dx;
      comp->dy = image->comps[compno].dy;
      comp->numresolutions = tccp->numresolutions;
      comp->resolutions = static_cast<opj_pi_resolution*>(std::calloc(comp->numresolutions, sizeof(opj_pi_resolution)));
      if (!comp->resolutions) {
        pi_destroy(pi, cp, tileno);
        return nullptr;
      }
      const int tcx0 = int_ceildiv(it->tx0, comp->dx);
      const int tcy0 = int_ceildiv(it->ty0, comp->dy);
      const int tcx1 = int_ceildiv(it->tx1, comp->dx);
      const int tcy1 = int_ceildiv(it->ty1, comp->dy);
      if (comp->numresolutions > maxres) maxres = comp->numresolutions;
      for (int resno = 0; resno < comp->numresolutions; ++resno) {
        opj_pi_resolution* res = &comp->resolutions[resno];
        if (tccp->csty & 1) {
          res->pdx = tccp->prcw[resno];
          res->pdy = tccp->prch[resno];
        } else {
          res->pdx = 15;
          res->pdy = 15;
        }
        const int levelno = comp->numresolutions - 1 - resno;
        const int rx0 = int_ceildivpow2(tcx0, levelno);
        const int ry0 = int_ceildivpow2(tcy0, levelno);
        const int rx1 = int_ceildivpow2(tcx1, levelno);
        const int ry1 = int_ceildivpow2(tcy1, levelno);
        const int px0 = int_floordivpow2(rx0, res->pdx) << res->pdx;
        const int py0 = int_floordivpow2(ry0, res->pdy) << res->pdy;
        const int px1 = int_ceildivpow2(rx1, res->pdx) << res->pdx;
        const int py1 = int_ceildivpow2(ry1, res->pdy) << res->pdy;
        res->pw = (rx0 == rx1) ? 0 : ((px1 - px0) >> res->pdx);
        res->ph = (ry0 == ry1) ? 0 : ((py1 - py0) >> res->pdy);
        if (res->pw * res->ph > maxprec) maxprec = res->pw * res->ph;
      }
    }

    it->step_p = 1;
    it->step_c = maxprec * it->step_p;
    it->step_r = image->numcomps * it->step_c;
    it->step_l = maxres * it->step_r;

    for (int compno = 0; compno < it->numcomps; ++compno) {
      const opj_pi_comp* comp = &it->comps[compno];
      for (int resno = 0; resno < comp->numresolutions; ++resno) {
        const opj_pi_resolution* res = &comp->resolutions[resno];
        const int dx = comp->dx * (1 << (res->pdx + comp->numresolutions - 1 - resno));
        const int dy = comp->dy * (1 << (res->pdy + comp->numresolutions - 1 - resno));
        it->dx = !it->dx ? dx : int_min(it->dx, dx);
        it->dy = !it->dy ? dy : int_min(it->dy, dy);
      }
    }

    if (pino == 0) {
      const long n = static_cast<long>(tcp->numlayers) * it->step_l;
      it->include = static_cast<int16_t*>(std::calloc(n > 0 ? n : 1, sizeof(int16_t)));
      if (!it->include) {
        pi_destroy(pi, cp, tileno);
        return nullptr;
      }
    } else {
      it->include = pi[pino - 1].include;
    }

    opj_poc* poc = &tcp->pocs[pino];
    if (tcp->POC && (cp->cinema || t2_mode == FINAL_PASS)) {
      poc->compS = poc->compno0;
      poc->compE = poc->compno1;
      poc->resS = poc->resno0;
      poc->resE = poc->resno1;
      poc->layE = poc->layno1;
      poc->prg = poc->prg1;
      poc->layS = (pino > 0 && poc->layE > tcp->pocs[pino - 1].layE) ? tcp->pocs[pino - 1].layE : 0;
    } else {
      poc->compS = 0;
      poc->compE = image->numcomps;
      poc->resS = 0;
      poc->resE = maxres;
      poc->layS = 0;
      poc->layE = tcp->numlayers;
      poc->prg = tcp->prg;
    }
    poc->prcS = 0;
    poc->prcE = maxprec;
    poc->txS = it->tx0;
    poc->txE = it->tx1;
    poc->tyS = it->ty0;
    poc->tyE = it->ty1;
    poc->dx = it->dx;
    poc->dy = it->dy;
  }
  return pi;
}

int pi_create_encode(opj_pi_iterator* pi, opj_cp* cp, int tileno, int pino, int tpnum, int tppos, J2K_T2_MODE t2_mode,
                     int cur_totnum_tp) {
  opj_tcp* tcps = &cp->tcps[tileno];
  opj_poc* tcp = &tcps->pocs[pino];
  opj_pi_iterator* it = &pi[pino];
  it->first = 1;
  it->poc.prg = tcp->prg;
  // Packets always come in component-position-resolution-layer order.
  static const char prog[4] = {'C', 'P', 'R', 'L'};

  if (!(cp->tp_on && (cp->cinema || t2_mode == FINAL_PASS))) {
    it->poc.resno0 = tcp->resS;
    it->poc.resno1 = tcp->resE;
    it->poc.compno0 = tcp->compS;
    it->poc.compno1 = tcp->compE;
    it->poc.layno0 = tcp->layS;
    it->poc.layno1 = tcp->layE;
    it->poc.precno0 = tcp->prcS;
    it->poc.precno1 = tcp->prcE;
    it->poc.tx0 = tcp->txS;
    it->poc.ty0 = tcp->tyS;
    it->poc.tx1 = tcp->txE;
    it->poc.ty1 = tcp->tyE;
    return 0;
  }
  if (tpnum >= cur_totnum_tp) return 0;

  int incr_top = 1;
  for (int i = 3; i >= 0; --i) {
    switch (prog[i]) {
      case 'C':
        if (i > tppos) {
          it->poc.compno0 = tcp->compS;
          it->poc.compno1 = tcp->compE;
        } else if (tpnum == 0) {
          tcp->comp_t = tcp->compS;
          it->poc.compno0 = tcp->comp_t;
          it->poc.compno1 = tcp->comp_t + 1;
          tcp->comp_t += 1;
        } else if (incr_top == 1) {
          if (tcp->comp_t == tcp->compE) tcp->comp_t = tcp->compS;
          it->poc.compno0 = tcp->comp_t;
          it->poc.compno1 = tcp->comp_t + 1;
          tcp->comp_t += 1;
        } else {
          it->poc.compno0 = tcp->comp_t - 1;
          it->poc.compno1 = tcp->comp_t;
        }
        // The split letter is the outermost one: nothing above it advances.
        incr_top = 0;
        break;
      case 'R':
        it->poc.resno0 = tcp->resS;
        it->poc.resno1 = tcp->resE;
        break;
      case 'L':
        it->poc.layno0 = tcp->layS;
        it->poc.layno1 = tcp->layE;
        break;
      case 'P':
        it->poc.precno0 = tcp->prcS;
        it->poc.precno1 = tcp->prcE;
        it->poc.tx0 = tcp->txS;
        it->poc.ty0 = tcp->tyS;
        it->poc.tx1 = tcp->txE;
        it->poc.ty1 = tcp->tyE;
        break;
    }
  }
  return 0;
}

int pi_next(opj_pi_iterator* pi) { return pi_next_cprl(pi); }

void pi_destroy(opj_pi_iterator* pi, opj_cp* cp, int tileno) {
  if (!pi) return;
  const int count = cp->tcps[tileno].numpocs + 1;
  for (int pino = 0; pino < count; ++pino) {
    if (pi[pino].comps) {
      for (int compno = 0; compno < pi[pino].numcomps; ++compno) std::free(pi[pino].comps[compno].resolutions);
      std::free(pi[pino].comps);
    }
  }
  std::free(pi[0].include);
  std::free(pi);
}
