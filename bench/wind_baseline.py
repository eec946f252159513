#!/usr/bin/python3
"""Baseline of bench_winds: scipy.sparse.linalg.cg on the matrix the engine exported, with the
engine's own preconditioner (an exact tridiagonal solve per column, vectorised over columns).
Prints the seconds of the cg call and its iteration count."""
import sys
import os
import time
import numpy as np
import scipy.sparse as sp
import scipy.sparse.linalg as spla

folder, layers, tol = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
load = lambda name, t: np.fromfile(os.path.join(folder, name), dtype=t)
indptr, indices, data = load("indptr.i64", np.int64), load("indices.i32", np.int32), load("data.f64", np.float64)
b = load("rhs.f64", np.float64)
n = b.size
A = sp.csr_matrix((data, indices, indptr), shape=(n, n))
cols = n // layers
diag = A.diagonal().reshape(cols, layers)
upper = np.append(A.diagonal(1), 0.0).reshape(cols, layers)   # 0 across columns
lower = np.insert(A.diagonal(-1), 0, 0.0).reshape(cols, layers)

# Thomas factors once: modified upper diagonal and inverse pivots, every column at a time.
cp = np.empty_like(diag)
inv = np.empty_like(diag)
inv[:, 0] = 1.0 / diag[:, 0]
cp[:, 0] = upper[:, 0] * inv[:, 0]
for k in range(1, layers):
    inv[:, k] = 1.0 / (diag[:, k] - lower[:, k] * cp[:, k - 1])
    cp[:, k] = upper[:, k] * inv[:, k]


def precondition(r):
    r = r.reshape(cols, layers)
    z = np.empty_like(r)
    z[:, 0] = r[:, 0] * inv[:, 0]
    for k in range(1, layers):
        z[:, k] = (r[:, k] - lower[:, k] * z[:, k - 1]) * inv[:, k]
    for k in range(layers - 2, -1, -1):
        z[:, k] -= cp[:, k] * z[:, k + 1]
    return z.ravel()


M = spla.LinearOperator((n, n), matvec=precondition)
count = [0]


def step(_):
    count[0] += 1


t0 = time.perf_counter()
x, info = spla.cg(A, b, tol=tol, atol=0.0, M=M, maxiter=20000, callback=step)
elapsed = time.perf_counter() - t0
if info != 0:
    sys.exit("cg did not converge: %d" % info)
print("%.6f %d %.3e" % (elapsed, count[0], np.linalg.norm(b - A @ x) / np.linalg.norm(b)))
