#pragma once
// The single entry through which the executor runs a built-in function: the name families
// ("ma", "pv_", "cal_", "usr_") go to their dispatchers, every other name to the dispatcher of
// its first letter, upper or lower case alike.

#include <span>
#include <string>

#include "lang/builtins/builtin_table.h"
#include "lang/values.h"

// Runs the built-in named by the record at *pc with its arguments on the stack (the last on
// top). Returns 1, or 0 after reporting.
int DoFunction(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

// The built-in DoFunction would run for this name and argument count, when it is one entry of
// a letter's table; null for the name families and for names no table holds (those go
// through DoFunction, which reports them).
VkCallFn vkResolveFunction(const std::string& name, int argc);
// The scalar form of the built-in vkResolveFunction finds; null where it has none.
VkScalarFn vkResolveScalarFunction(const std::string& name, int argc);

// The dispatchers (all with the frame arguments of DoFunction).
#define VK_DISPATCHER(name) int name(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp)
VK_DISPATCHER(DoFunctionMA);
VK_DISPATCHER(DoFunctionPravellaCommand);
VK_DISPATCHER(DoFunctionUserProg);
VK_DISPATCHER(DoFunctionA);
VK_DISPATCHER(DoFunctionB);
VK_DISPATCHER(DoFunctionC);
VK_DISPATCHER(DoFunctionD);
VK_DISPATCHER(DoFunctionE);
VK_DISPATCHER(DoFunctionF);
VK_DISPATCHER(DoFunctionG);
VK_DISPATCHER(DoFunctionH);
VK_DISPATCHER(DoFunctionI);
VK_DISPATCHER(DoFunctionJ);
VK_DISPATCHER(DoFunctionK);
VK_DISPATCHER(DoFunctionL);
VK_DISPATCHER(DoFunctionM);
VK_DISPATCHER(DoFunctionN);
VK_DISPATCHER(DoFunctionO);
VK_DISPATCHER(DoFunctionP);
VK_DISPATCHER(DoFunctionQ);
VK_DISPATCHER(DoFunctionR);
VK_DISPATCHER(DoFunctionS);
VK_DISPATCHER(DoFunctionT);
VK_DISPATCHER(DoFunctionU);
VK_DISPATCHER(DoFunctionV);
VK_DISPATCHER(DoFunctionW);
VK_DISPATCHER(DoFunctionX);
VK_DISPATCHER(DoFunctionY);
VK_DISPATCHER(DoFunctionZ);
#undef VK_DISPATCHER

// Each letter's table, in its order of precedence (what its dispatcher searches).
#define VK_TABLE(letter) std::span<const VkBuiltin> vkBuiltinTable##letter()
VK_TABLE(MA);
VK_TABLE(A);
VK_TABLE(B);
VK_TABLE(C);
VK_TABLE(D);
VK_TABLE(E);
VK_TABLE(F);
VK_TABLE(G);
VK_TABLE(H);
VK_TABLE(I);
VK_TABLE(J);
VK_TABLE(K);
VK_TABLE(L);
VK_TABLE(M);
VK_TABLE(N);
VK_TABLE(O);
VK_TABLE(P);
VK_TABLE(Q);
VK_TABLE(R);
VK_TABLE(S);
VK_TABLE(T);
VK_TABLE(U);
VK_TABLE(V);
VK_TABLE(W);
VK_TABLE(X);
VK_TABLE(Y);
VK_TABLE(Z);
#undef VK_TABLE
