#pragma once
#include <string>
#include <string_view>

// The file layer of the channel database: AES-128-CBC over the whole 16-byte blocks, and a tail of
// 1 to 15 bytes XORed with the AES encryption of the last ciphertext block (of the initialisation
// vector when the file is shorter than one block). Ciphertext and plaintext are equally long.
void decrypt_channel_file_in_place(std::string& bytes);
void decrypt_channel_file_in_place(char* data, size_t size);
void encrypt_channel_file_in_place(std::string& bytes);  // the inverse, for writers of the file

std::string decrypt_channel_file(std::string_view ciphertext);
std::string encrypt_channel_file(std::string_view zip);
